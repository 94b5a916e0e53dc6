#include "platform/DesktopInstallers.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QRegularExpression>
#include <QUrl>

namespace tavemo::platform {
namespace {

constexpr int kCallTimeoutMs = 15000;

// A JavaScript string literal of the text.
QString jsString(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        if (c.unicode() < 0x20) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            continue;
        }
        out += c;
    }
    return out + u'"';
}

QString busError(const QDBusError& error)
{
    if (error.type() == QDBusError::ServiceUnknown)
        return QStringLiteral("KDE Plasma 桌面没有运行（D-Bus 上没有 org.kde.plasmashell）。");
    return QStringLiteral("KDE Plasma 没有接受新的壁纸：%1").arg(error.message());
}

} // namespace

KdePlasmaWallpaper::KdePlasmaWallpaper(QDBusConnection bus) : m_bus(std::move(bus)) {}

QString KdePlasmaWallpaper::script(const QString& url)
{
    // FillMode 0 is Image.Stretch. The second loop reads back what every desktop now holds.
    return QStringLiteral("var url = %1;\n"
                          "var all = desktops();\n"
                          "for (var i = 0; i < all.length; i++) {\n"
                          "    var d = all[i];\n"
                          "    d.wallpaperPlugin = \"org.kde.image\";\n"
                          "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
                          "    d.writeConfig(\"Image\", url);\n"
                          "    d.writeConfig(\"FillMode\", 0);\n"
                          "}\n"
                          "for (var i = 0; i < all.length; i++) {\n"
                          "    var d = all[i];\n"
                          "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
                          "    print(d.readConfig(\"Image\") + \"\\n\");\n"
                          "}\n")
        .arg(jsString(url));
}

Outcome KdePlasmaWallpaper::SetWallpaper(const QString& path)
{
    if (!m_bus.isConnected())
        return Outcome::failedSaying(Failure::NotReady,
                                     QStringLiteral("无法连接到桌面的 D-Bus 会话总线，无法设置 KDE Plasma 的壁纸。"));
    const QString url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                                       QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
    call << script(url);
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return Outcome::failedSaying(Failure::Refused, busError(QDBusError(reply)));

    // Plasma answers with what the script printed: one image per desktop. (Versions that answer
    // nothing ran the script without an error, which is all they can tell.)
    const QString printed = reply.arguments().isEmpty() ? QString() : reply.arguments().first().toString();
    const QStringList images = printed.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (const QString& image : images)
        if (image != url)
            return Outcome::failedSaying(
                Failure::Refused, QStringLiteral("KDE Plasma 的壁纸没有变成新的图片（现在是“%1”）。").arg(image));
    if (!printed.isEmpty() && images.isEmpty())
        return Outcome::failedSaying(Failure::Unsupported, QStringLiteral("KDE Plasma 没有可以设置壁纸的桌面。"));
    return {};
}

} // namespace tavemo::platform
