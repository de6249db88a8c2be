// A Windows-compatible INI file: "[section]" headers and "name=value" lines,
// sections and names compared without regard to letter case, values kept as
// written (no quoting), lines that are neither kept untouched. The file is read
// afresh by every call, so several objects (and programs) on one file agree;
// every change rewrites the whole file under a temporary name and renames it
// into place, so a crash or a full disk never leaves half a file. A rewrite
// keeps the bytes of every line it does not change (encoding, line ends); new
// lines follow the file's encoding and line ends.
// A value written "name=value" is kept verbatim (a lone blank stays a blank);
// the hand-written layout "name = value" has the blanks around the value dropped.
// Names, sections and values that would break a line are refused (EInOutError).
#pragma once

#include <QString>
#include <QStringList>

class TIniFile
{
public:
    explicit TIniFile(const QString& fileName);

    const QString& FileName() const { return fileName_; }

    QString ReadString(const QString& section, const QString& ident,
                       const QString& defaultValue) const;
    // Creates the section when missing; raises EInOutError when the file cannot be written.
    void WriteString(const QString& section, const QString& ident, const QString& value);

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& ident) const;
    // Section names in file order.
    QStringList ReadSections() const;
    // The names of one section, in file order.
    QStringList ReadSection(const QString& section) const;
    // The "name=value" lines of one section, in file order.
    QStringList ReadSectionValues(const QString& section) const;

    // Adds an empty section when missing (registry keys are sections without values).
    void CreateSection(const QString& section);
    void EraseSection(const QString& section);
    void DeleteKey(const QString& section, const QString& ident);

private:
    QString fileName_;
};
