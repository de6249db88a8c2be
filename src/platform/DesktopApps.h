// The desktop's file associations, as the freedesktop MIME-applications
// rules give them (defaults, added and removed associations, parent types,
// the XDG folders), read and launched through GIO. Nothing of those files is
// parsed here. Without GIO no type, application or launch is known.
#pragma once

#include <QString>

// The MIME type the desktop gives a file extension; empty when it knows none.
QString MimeTypeOfExtension(const QString& ext);
// Whether a default application opens the MIME type; iconName receives the
// application's icon as a theme name or a file path.
bool HasDefaultApplication(const QString& mimeType, QString* iconName = nullptr);
// Opens the file in its default application; false with a reason when none
// is found or it cannot be started.
bool LaunchDefaultApplication(const QString& path, QString* reason = nullptr);
