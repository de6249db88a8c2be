// An interaction that answers from a script and records what was shown, for
// tests: no test ever blocks on a real modal dialog.
#pragma once

#include "platform/Interaction.h"

#include <QList>
#include <QString>
#include <deque>
#include <optional>

class ScriptedInteraction : public Interaction
{
public:
    enum class Kind
    {
        Message,
        Dialog,
        Input,
        Error,
        Beep,
        SaveFile,
        Form
    };

    struct Shown
    {
        Kind kind;
        QString text;    // message, dialog text, input prompt or error message
        QString caption; // input box, save dialog or form caption
        TMsgDlgType type = mtCustom;
        TMsgDlgButtons buttons;
    };

    // The next dialog answers this (otherwise: OK when offered, else Cancel/No).
    void AnswerDialog(TModalResult result) { dialogAnswers_.push_back(result); }
    // The next input box answers this text; std::nullopt cancels it.
    void AnswerInput(std::optional<QString> text) { inputAnswers_.push_back(std::move(text)); }

    // The next save dialog answers this path; std::nullopt cancels it.
    void AnswerSaveFile(std::optional<QString> path) { saveAnswers_.push_back(std::move(path)); }
    // The next form shown modally is shown without a modal loop and handed to
    // this, which sets its controls and returns QDialog::Accepted or Rejected.
    using FormAnswer = std::function<int(QDialog&)>;
    void AnswerForm(FormAnswer answer) { formAnswers_.push_back(std::move(answer)); }
    // The request of the last save dialog.
    const TSaveFileRequest& LastSaveRequest() const { return lastSaveRequest_; }

    const QList<Shown>& History() const { return history_; }
    // Texts shown, in order, of every kind but the beep.
    QStringList Texts() const;
    int UnansweredCount() const { return unanswered_; }
    void Clear() { history_.clear(); }

    void ShowMessage(const QString& text) override;
    TModalResult MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    void ShowException(const std::exception& error) override;
    void Beep() override;
    bool PromptForSaveFile(const TSaveFileRequest& request, QString& fileName) override;
    int ExecDialog(QDialog& dialog) override;

private:
    std::deque<std::optional<QString>> saveAnswers_;
    std::deque<FormAnswer> formAnswers_;
    TSaveFileRequest lastSaveRequest_;
    QList<Shown> history_;
    std::deque<TModalResult> dialogAnswers_;
    std::deque<std::optional<QString>> inputAnswers_;
    int unanswered_ = 0;
};
