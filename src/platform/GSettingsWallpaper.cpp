// GIO first: its headers use names that Qt defines as macros.
#include <gio/gio.h>

#include "platform/DesktopInstallers.h"

#include <QFile>

#include <memory>

namespace tavemo::platform {
namespace {

struct GFreeDeleter {
    void operator()(gchar* text) const { g_free(text); }
};
using GText = std::unique_ptr<gchar, GFreeDeleter>;

struct SchemaDeleter {
    void operator()(GSettingsSchema* schema) const { g_settings_schema_unref(schema); }
};
struct ObjectDeleter {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using Schema = std::unique_ptr<GSettingsSchema, SchemaDeleter>;
using Settings = std::unique_ptr<GSettings, ObjectDeleter>;

QString fromUtf8(const gchar* text) { return QString::fromUtf8(text ? text : ""); }

} // namespace

GSettingsKeys gnomeBackgroundKeys()
{
    using V = GSettingsKeys::Value;
    return {QStringLiteral("GNOME"),
            "org.gnome.desktop.background",
            {{"picture-uri", V::FileUri, false},
             {"picture-uri-dark", V::FileUri, true},
             {"picture-options", V::Stretched, false}}};
}

GSettingsKeys cinnamonBackgroundKeys()
{
    using V = GSettingsKeys::Value;
    return {QStringLiteral("Cinnamon"),
            "org.cinnamon.desktop.background",
            {{"picture-uri", V::FileUri, false}, {"picture-options", V::Stretched, false}}};
}

GSettingsKeys mateBackgroundKeys()
{
    using V = GSettingsKeys::Value;
    return {QStringLiteral("MATE"),
            "org.mate.background",
            {{"picture-filename", V::FilePath, false}, {"picture-options", V::Stretched, false}}};
}

GSettingsWallpaper::GSettingsWallpaper(GSettingsKeys keys) : m_keys(std::move(keys)) {}

Outcome GSettingsWallpaper::SetWallpaper(const QString& path)
{
    const QString schemaName = QString::fromLatin1(m_keys.schema);
    GSettingsSchemaSource* source = g_settings_schema_source_get_default(); // not ours to free
    Schema schema(source ? g_settings_schema_source_lookup(source, m_keys.schema, TRUE) : nullptr);
    if (!schema)
        return Outcome::failedSaying(Failure::Unsupported,
                                     QStringLiteral("这台电脑没有安装桌面设置 %1，无法设置 %2 桌面的壁纸。")
                                         .arg(schemaName, m_keys.desktopName));

    const QByteArray fileName = QFile::encodeName(path);
    GError* uriError = nullptr;
    GText uri(g_filename_to_uri(fileName.constData(), nullptr, &uriError));
    if (!uri) {
        const QString reason = fromUtf8(uriError ? uriError->message : nullptr);
        g_clear_error(&uriError);
        return Outcome::failedSaying(Failure::BadInput, QStringLiteral("壁纸文件名 %1 无法使用：%2").arg(path, reason));
    }

    struct Write {
        const char* key;
        QByteArray value;
    };
    std::vector<Write> writes;
    for (const GSettingsKeys::Key& key : m_keys.keys) {
        if (!g_settings_schema_has_key(schema.get(), key.name)) {
            if (key.optional)
                continue;
            return Outcome::failedSaying(
                Failure::Unsupported,
                QStringLiteral("桌面设置 %1 中没有 %2，无法设置壁纸。").arg(schemaName, QLatin1String(key.name)));
        }
        switch (key.value) {
        case GSettingsKeys::Value::FileUri:
            writes.push_back({key.name, QByteArray(uri.get())});
            break;
        case GSettingsKeys::Value::FilePath:
            writes.push_back({key.name, fileName});
            break;
        case GSettingsKeys::Value::Stretched:
            writes.push_back({key.name, QByteArrayLiteral("stretched")});
            break;
        }
    }

    {
        Settings settings(g_settings_new_full(schema.get(), nullptr, nullptr));
        for (const Write& write : writes) {
            if (!g_settings_is_writable(settings.get(), write.key))
                return Outcome::failedSaying(
                    Failure::NoPermission,
                    QStringLiteral("桌面设置 %1 的 %2 被锁定，无法修改。").arg(schemaName, QLatin1String(write.key)));
            if (!g_settings_set_string(settings.get(), write.key, write.value.constData()))
                return Outcome::failedSaying(
                    Failure::Refused,
                    QStringLiteral("桌面设置 %1 没有接受 %2 的新值。").arg(schemaName, QLatin1String(write.key)));
        }
    }
    g_settings_sync(); // every write has reached the store

    // Read back through a new handle: what the store holds now, not what this process asked for.
    Settings check(g_settings_new_full(schema.get(), nullptr, nullptr));
    for (const Write& write : writes) {
        GText stored(g_settings_get_string(check.get(), write.key));
        if (!stored || write.value != stored.get())
            return Outcome::failedSaying(Failure::Refused,
                                         QStringLiteral("桌面设置 %1 的 %2 没有变成新的值（现在是“%3”）。")
                                             .arg(schemaName, QLatin1String(write.key), fromUtf8(stored.get())));
    }
    return {};
}

} // namespace tavemo::platform
