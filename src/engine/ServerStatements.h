// Cutting SQL text for a server into its statements at the semicolons the
// server would end them at: not inside quoted text ('...', E'...' with its
// backslashes), quoted identifiers ("..."), dollar-quoted bodies
// ($tag$...$tag$), comments (-- to the line end, nested /* */), or
// parentheses. Statements made only of blanks and comments are dropped; the
// semicolon itself is not part of a statement.
#pragma once

#include <QString>
#include <QStringList>

// Raises EDatabaseError for a text holding a NUL character, which the server
// would never see past.
QStringList SplitServerStatements(const QString& text);
