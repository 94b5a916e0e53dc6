#include "platform/DesktopInstallers.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QScreen>
#include <QVariantMap>

namespace tavemo::platform {
namespace {

const QString kService = QStringLiteral("org.xfce.Xfconf");
const QString kPath = QStringLiteral("/org/xfce/Xfconf");
const QString kInterface = QStringLiteral("org.xfce.Xfconf");
const QString kChannel = QStringLiteral("xfce4-desktop");
constexpr int kCallTimeoutMs = 15000;

QString busError(const QDBusMessage& reply)
{
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown"))
        return QStringLiteral("XFCE 的设置服务 xfconfd 没有运行。");
    return QStringLiteral("XFCE 没有接受新的壁纸：%1").arg(reply.errorMessage());
}

QStringList screenNames()
{
    QStringList names;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        for (const QScreen* screen : QGuiApplication::screens())
            if (!screen->name().isEmpty())
                names << screen->name();
    return names;
}

} // namespace

XfceWallpaper::XfceWallpaper(QDBusConnection bus, MonitorNames monitorNames)
    : m_bus(std::move(bus)), m_monitorNames(monitorNames ? std::move(monitorNames) : MonitorNames(screenNames))
{}

Outcome XfceWallpaper::SetWallpaper(const QString& path)
{
    if (!m_bus.isConnected())
        return Outcome::failedSaying(Failure::NotReady,
                                     QStringLiteral("无法连接到桌面的 D-Bus 会话总线，无法设置 XFCE 的壁纸。"));
    auto call = [this](const QString& method, const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
        message.setArguments(arguments);
        return m_bus.call(message, QDBus::Block, kCallTimeoutMs);
    };

    // Every monitor and workspace the desktop has set up has its own last-image.
    QStringList imageKeys;
    const QDBusMessage all = call(QStringLiteral("GetAllProperties"), {kChannel, QStringLiteral("/backdrop")});
    if (all.type() == QDBusMessage::ReplyMessage && !all.arguments().isEmpty()) {
        QVariantMap properties;
        all.arguments().first().value<QDBusArgument>() >> properties;
        for (auto it = properties.cbegin(); it != properties.cend(); ++it)
            if (it.key().endsWith(QLatin1String("/last-image")))
                imageKeys << it.key();
    } else if (all.type() == QDBusMessage::ErrorMessage &&
               all.errorName() != QLatin1String("org.xfce.Xfconf.Error.ChannelNotFound") &&
               all.errorName() != QLatin1String("org.xfce.Xfconf.Error.PropertyNotFound")) {
        return Outcome::failedSaying(Failure::Refused, busError(all));
    }
    if (imageKeys.isEmpty()) {
        QStringList monitors = m_monitorNames();
        if (monitors.isEmpty())
            monitors << QStringLiteral("0");
        for (const QString& monitor : monitors)
            imageKeys << QStringLiteral("/backdrop/screen0/monitor%1/workspace0/last-image").arg(monitor);
    }

    struct Property {
        QString key;
        QVariant value;
    };
    std::vector<Property> writes;
    for (const QString& imageKey : imageKeys) {
        const QString style =
            imageKey.left(imageKey.size() - int(qstrlen("last-image"))) + QStringLiteral("image-style");
        writes.push_back({imageKey, path});
        writes.push_back({style, int(kStretched)});
    }
    for (const Property& property : writes) {
        const QDBusMessage reply = call(QStringLiteral("SetProperty"),
                                        {kChannel, property.key, QVariant::fromValue(QDBusVariant(property.value))});
        if (reply.type() == QDBusMessage::ErrorMessage)
            return Outcome::failedSaying(Failure::Refused, busError(reply));
    }
    for (const Property& property : writes) {
        const QDBusMessage reply = call(QStringLiteral("GetProperty"), {kChannel, property.key});
        if (reply.type() == QDBusMessage::ErrorMessage)
            return Outcome::failedSaying(Failure::Refused, busError(reply));
        const QVariant stored =
            reply.arguments().isEmpty() ? QVariant() : qvariant_cast<QDBusVariant>(reply.arguments().first()).variant();
        if (stored != property.value)
            return Outcome::failedSaying(
                Failure::Refused,
                QStringLiteral("XFCE 的设置 %1 没有变成新的值（现在是“%2”）。").arg(property.key, stored.toString()));
    }
    return {};
}

} // namespace tavemo::platform
