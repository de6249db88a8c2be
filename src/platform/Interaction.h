// Every modal interaction of the program (message box, confirmation, input
// box, the application's error report, the beep) goes through one Interaction,
// so the window can be driven by a person, by batch mode or by a test script.
#pragma once

#include <QFlags>
#include <QString>
#include <exception>
#include <functional>
#include <memory>

class QDialog;

// What a save dialog is asked: it always asks before overwriting, requires an
// existing folder and offers no read-only choice.
struct TSaveFileRequest
{
    QString title;
    QString filter;           // "Name files (*.ext)|*.ext|All Files (*.*)|*.*"
    QString defaultExtension; // without the dot; added to a name typed without one
};

enum TMsgDlgType
{
    mtWarning,
    mtError,
    mtInformation,
    mtConfirmation,
    mtCustom
};

enum TMsgDlgBtn
{
    mbYes = 0x1,
    mbNo = 0x2,
    mbOK = 0x4,
    mbCancel = 0x8,
    mbAbort = 0x10,
    mbRetry = 0x20,
    mbIgnore = 0x40,
};
Q_DECLARE_FLAGS(TMsgDlgButtons, TMsgDlgBtn)
Q_DECLARE_OPERATORS_FOR_FLAGS(TMsgDlgButtons)

// What a modal dialog answers.
enum TModalResult
{
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7
};

class Interaction
{
public:
    virtual ~Interaction() = default;

    // A plain message with an OK button, captioned with the application title.
    virtual void ShowMessage(const QString& text) = 0;
    // A message of a kind, with the given buttons; returns the button pressed.
    virtual TModalResult MessageDlg(const QString& text, TMsgDlgType type,
                                    TMsgDlgButtons buttons) = 0;
    // A plain text input box; false when the user cancelled. Value holds the
    // default on entry and the typed text on return.
    virtual bool InputQuery(const QString& caption, const QString& prompt, QString& value) = 0;
    // The application's default error report: the exception's own message.
    // EAbort shows nothing.
    virtual void ShowException(const std::exception& error) = 0;
    virtual void Beep() = 0;
    // A save dialog; false when cancelled. fileName receives the chosen path.
    virtual bool PromptForSaveFile(const TSaveFileRequest& request, QString& fileName);
    // Shows a form of the program modally and returns its result
    // (QDialog::Accepted or Rejected).
    virtual int ExecDialog(QDialog& dialog);
};

// The interaction in force; a Qt one until another is installed.
Interaction& Ui();
// Installs another interaction and returns the one it replaces.
std::unique_ptr<Interaction> SetUi(std::unique_ptr<Interaction> ui);

// The application title that message boxes carry ("Tessaly Query" once start-up set it).
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

// The message the default error report shows for an exception.
QString ExceptionMessage(const std::exception& error);
