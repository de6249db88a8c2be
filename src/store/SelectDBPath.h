// The folder dialog the store database shows when it knows no valid folder,
// behind a factory so tests can script the user's answer.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class TSelectDBPathDialog
{
public:
    virtual ~TSelectDBPathDialog() = default;
    // The folder the dialog opens and selects first.
    virtual void SetStartPath(const QString& path) = 0;
    // The file a folder must hold to qualify; empty: every existing folder qualifies.
    virtual void SetValidFileName(const QString& fileName) = 0;
    // Shows the dialog modally; true when the user confirmed a qualifying folder.
    virtual bool Execute() = 0;
    // The chosen folder, with a trailing separator.
    virtual QString SelectedPath() const = 0;
};

using TSelectDBPathFactory = std::function<std::unique_ptr<TSelectDBPathDialog>()>;

// Installs the factory and returns the one it replaces; an empty factory
// puts back the real dialog.
TSelectDBPathFactory SetSelectDBPathFactory(TSelectDBPathFactory factory);
std::unique_ptr<TSelectDBPathDialog> CreateSelectDBPathDialog();
