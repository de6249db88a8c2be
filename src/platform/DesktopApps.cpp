#include "platform/DesktopApps.h"

// GIO's headers use a name that Qt's "signals" keyword would replace.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <QFileInfo>
#include <QUrl>

#include <dlfcn.h>

namespace {

// GIO is loaded at its first use, not with the program: loading it (and its
// dependencies) costs a few milliseconds that batch mode, which never asks
// the desktop anything, would pay at every start. GLib itself is loaded by Qt.
struct Gio
{
    decltype(&g_content_type_guess) contentTypeGuess = nullptr;
    decltype(&g_content_type_is_unknown) contentTypeIsUnknown = nullptr;
    decltype(&g_content_type_get_mime_type) contentTypeGetMimeType = nullptr;
    decltype(&g_app_info_get_default_for_type) appInfoGetDefaultForType = nullptr;
    decltype(&g_app_info_get_icon) appInfoGetIcon = nullptr;
    decltype(&g_icon_to_string) iconToString = nullptr;
    decltype(&g_app_info_launch_default_for_uri) appInfoLaunchDefaultForUri = nullptr;
    decltype(&g_object_unref) objectUnref = nullptr;

    bool Loaded() const { return objectUnref != nullptr; }
};

template <typename Function> bool Resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// The library's functions, or none of them where it cannot be loaded.
const Gio& LoadGio()
{
    static const Gio gio = [] {
        Gio loaded;
        void* library = dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return loaded;
        const bool complete =
            Resolve(library, "g_content_type_guess", loaded.contentTypeGuess) &&
            Resolve(library, "g_content_type_is_unknown", loaded.contentTypeIsUnknown) &&
            Resolve(library, "g_content_type_get_mime_type", loaded.contentTypeGetMimeType) &&
            Resolve(library, "g_app_info_get_default_for_type", loaded.appInfoGetDefaultForType) &&
            Resolve(library, "g_app_info_get_icon", loaded.appInfoGetIcon) &&
            Resolve(library, "g_icon_to_string", loaded.iconToString) &&
            Resolve(library, "g_app_info_launch_default_for_uri",
                    loaded.appInfoLaunchDefaultForUri) &&
            Resolve(library, "g_object_unref", loaded.objectUnref);
        return complete ? loaded : Gio();
    }();
    return gio;
}

} // namespace

QString MimeTypeOfExtension(const QString& ext)
{
    const Gio& gio = LoadGio();
    if (ext.isEmpty() || !gio.Loaded())
        return QString();
    gboolean uncertain = FALSE;
    const QByteArray name = QStringLiteral("file.%1").arg(ext).toUtf8();
    gchar* type = gio.contentTypeGuess(name.constData(), nullptr, 0, &uncertain);
    QString result;
    if (type && !uncertain && !gio.contentTypeIsUnknown(type)) {
        gchar* mime = gio.contentTypeGetMimeType(type);
        result = QString::fromUtf8(mime ? mime : type);
        g_free(mime);
    }
    g_free(type);
    return result;
}

bool HasDefaultApplication(const QString& mimeType, QString* iconName)
{
    const Gio& gio = LoadGio();
    if (mimeType.isEmpty() || !gio.Loaded())
        return false;
    const QByteArray type = mimeType.toUtf8();
    GAppInfo* app = gio.appInfoGetDefaultForType(type.constData(), FALSE);
    if (!app)
        return false;
    if (iconName) {
        iconName->clear();
        if (GIcon* icon = gio.appInfoGetIcon(app)) {
            gchar* text = gio.iconToString(icon);
            *iconName = QString::fromUtf8(text ? text : "");
            g_free(text);
        }
    }
    gio.objectUnref(app);
    return true;
}

bool LaunchDefaultApplication(const QString& path, QString* reason)
{
    const Gio& gio = LoadGio();
    if (!gio.Loaded()) {
        if (reason)
            *reason = QStringLiteral("the desktop's file associations (GIO) cannot be loaded");
        return false;
    }
    const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
    GError* error = nullptr;
    const gboolean launched = gio.appInfoLaunchDefaultForUri(uri.constData(), nullptr, &error);
    if (!launched && reason)
        *reason = QString::fromUtf8(error ? error->message : "no application");
    if (error)
        g_error_free(error);
    return launched;
}
