#include "wallpaper/MonthPicture.h"

#include "paths/AppPath.h"

namespace tavemo::wallpaper {

QString monthPicturePath(const QString& appDir, const QDate& day)
{
    return paths::appPath(appDir, QStringLiteral("source\\Month\\%1.bmp").arg(day.toString(QStringLiteral("yyyyMM"))));
}

} // namespace tavemo::wallpaper
