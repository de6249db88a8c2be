#include "platform/DesktopApps.h"

#include "platform/GioLibrary.h"

#include <QFileInfo>
#include <QUrl>

QString MimeTypeOfExtension(const QString& ext)
{
    const TGio* gio = Gio();
    if (ext.isEmpty() || !gio)
        return QString();
    gboolean uncertain = FALSE;
    const QByteArray name = QStringLiteral("file.%1").arg(ext).toUtf8();
    gchar* type = gio->content_type_guess(name.constData(), nullptr, 0, &uncertain);
    QString result;
    if (type && !uncertain && !gio->content_type_is_unknown(type)) {
        gchar* mime = gio->content_type_get_mime_type(type);
        result = QString::fromUtf8(mime ? mime : type);
        g_free(mime);
    }
    g_free(type);
    return result;
}

bool HasDefaultApplication(const QString& mimeType, QString* iconName)
{
    const TGio* gio = Gio();
    if (mimeType.isEmpty() || !gio)
        return false;
    const QByteArray type = mimeType.toUtf8();
    GAppInfo* app = gio->app_info_get_default_for_type(type.constData(), FALSE);
    if (!app)
        return false;
    if (iconName) {
        iconName->clear();
        if (GIcon* icon = gio->app_info_get_icon(app)) {
            gchar* text = gio->icon_to_string(icon);
            *iconName = QString::fromUtf8(text ? text : "");
            g_free(text);
        }
    }
    gio->object_unref(app);
    return true;
}

bool LaunchDefaultApplication(const QString& path, QString* reason)
{
    const TGio* gio = Gio();
    if (!gio) {
        if (reason)
            *reason = QStringLiteral("the desktop's file associations cannot be read (no GIO)");
        return false;
    }
    const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
    GError* error = nullptr;
    const gboolean launched =
        gio->app_info_launch_default_for_uri(uri.constData(), nullptr, &error);
    if (!launched && reason)
        *reason = QString::fromUtf8(error ? error->message : "no application");
    if (error)
        g_error_free(error);
    return launched;
}
