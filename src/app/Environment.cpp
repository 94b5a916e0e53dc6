#include "app/Environment.h"

#include "engine/DateTime.h"
#include "platform/WallpaperInstaller.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QMessageBox>
#include <QScreen>

namespace tavemo::app {

Environment Environment::system()
{
    Environment env;
    env.now = [] { return engine::currentDateTime(); };
    env.chooseColor = [](QWidget* parent, const QColor& initial) -> std::optional<QColor> {
        // Qt's own dialog always shows its custom colours beside the basic ones.
        const QColor chosen = QColorDialog::getColor(initial, parent, QString(), QColorDialog::DontUseNativeDialog);
        if (!chosen.isValid())
            return std::nullopt;
        return chosen;
    };
    env.chooseFont = [](QWidget* parent, const ChosenFont& initial) -> std::optional<ChosenFont> {
        bool ok = false;
        // The dialog lists installed faces: start it on the face a Windows name such as 宋体 stands for.
        QFont start = initial.font;
        if (!QFont::substitutes(start.family()).isEmpty())
            start.setFamily(QFontInfo(start).family());
        const QFont font = QFontDialog::getFont(&ok, start, parent, QString(), QFontDialog::DontUseNativeDialog);
        if (!ok)
            return std::nullopt;
        // The dialog offers no colour: the font keeps the colour it had.
        return ChosenFont{font, initial.color};
    };
    env.choosePictures = [](QWidget* parent) {
        // Both letter cases: not every desktop's file dialog matches patterns without regard to case.
        return QFileDialog::getOpenFileNames(
            parent, QStringLiteral("添加背景图片"), QString(),
            QStringLiteral("图片文件 (*.bmp *.jpg *.jpeg *.gif *.png *.BMP *.JPG *.JPEG *.GIF *.PNG);;所有文件 (*)"));
    };
    env.makeWallpaperInstaller = [] { return platform::makeWallpaperInstaller(platform::currentDesktop()); };
    env.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    env.showMessage = [](QWidget* parent, const QString& text, const QString& detail) {
        QMessageBox box(parent);
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(QApplication::applicationDisplayName());
        box.setText(text);
        if (!detail.isEmpty())
            box.setDetailedText(detail);
        box.exec();
    };
    env.primaryScreen = [] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    };
    env.screens = [] {
        QList<QRect> rects;
        for (const QScreen* screen : QGuiApplication::screens())
            rects << screen->geometry();
        return rects;
    };
    env.quit = [] { QCoreApplication::quit(); };
    return env;
}

QDate localDate(double value)
{
    int year = 0, month = 0, day = 0;
    if (!engine::decodeDate(value, year, month, day))
        return {};
    return QDate(year, month, day);
}

} // namespace tavemo::app
