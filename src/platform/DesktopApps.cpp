#include "platform/DesktopApps.h"

// GIO's headers use a name that Qt's "signals" keyword would replace.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <QFileInfo>
#include <QUrl>

QString MimeTypeOfExtension(const QString& ext)
{
    if (ext.isEmpty())
        return QString();
    gboolean uncertain = FALSE;
    const QByteArray name = QStringLiteral("file.%1").arg(ext).toUtf8();
    gchar* type = g_content_type_guess(name.constData(), nullptr, 0, &uncertain);
    QString result;
    if (type && !uncertain && !g_content_type_is_unknown(type)) {
        gchar* mime = g_content_type_get_mime_type(type);
        result = QString::fromUtf8(mime ? mime : type);
        g_free(mime);
    }
    g_free(type);
    return result;
}

bool HasDefaultApplication(const QString& mimeType, QString* iconName)
{
    if (mimeType.isEmpty())
        return false;
    const QByteArray type = mimeType.toUtf8();
    GAppInfo* app = g_app_info_get_default_for_type(type.constData(), FALSE);
    if (!app)
        return false;
    if (iconName) {
        iconName->clear();
        if (GIcon* icon = g_app_info_get_icon(app)) {
            gchar* text = g_icon_to_string(icon);
            *iconName = QString::fromUtf8(text ? text : "");
            g_free(text);
        }
    }
    g_object_unref(app);
    return true;
}

bool LaunchDefaultApplication(const QString& path, QString* reason)
{
    const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
    GError* error = nullptr;
    const gboolean launched = g_app_info_launch_default_for_uri(uri.constData(), nullptr, &error);
    if (!launched && reason)
        *reason = QString::fromUtf8(error ? error->message : "no application");
    if (error)
        g_error_free(error);
    return launched;
}
