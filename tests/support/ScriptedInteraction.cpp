#include "support/ScriptedInteraction.h"

#include "platform/core/Exceptions.h"

#include <QDialog>

QStringList ScriptedInteraction::Texts() const
{
    QStringList texts;
    for (const Shown& shown : history_) {
        if (shown.kind != Kind::Beep)
            texts << shown.text;
    }
    return texts;
}

void ScriptedInteraction::ShowMessage(const QString& text)
{
    history_.append({Kind::Message, text, {}, mtCustom, mbOK});
}

TModalResult ScriptedInteraction::MessageDlg(const QString& text, TMsgDlgType type,
                                             TMsgDlgButtons buttons)
{
    history_.append({Kind::Dialog, text, {}, type, buttons});
    if (!dialogAnswers_.empty()) {
        const TModalResult answer = dialogAnswers_.front();
        dialogAnswers_.pop_front();
        return answer;
    }
    if (buttons.testFlag(mbOK) || buttons == TMsgDlgButtons())
        return mrOk;
    ++unanswered_;
    return buttons.testFlag(mbNo) ? mrNo : mrCancel;
}

bool ScriptedInteraction::InputQuery(const QString& caption, const QString& prompt, QString& value)
{
    history_.append({Kind::Input, prompt, caption, mtCustom, {}});
    if (inputAnswers_.empty()) {
        ++unanswered_;
        return false;
    }
    std::optional<QString> answer = inputAnswers_.front();
    inputAnswers_.pop_front();
    if (!answer)
        return false;
    value = *answer;
    return true;
}

void ScriptedInteraction::ShowException(const std::exception& error)
{
    if (dynamic_cast<const EAbort*>(&error))
        return;
    history_.append({Kind::Error, ExceptionMessage(error), {}, mtError, mbOK});
}

void ScriptedInteraction::Beep()
{
    history_.append({Kind::Beep, {}, {}, mtCustom, {}});
}

bool ScriptedInteraction::PromptForSaveFile(const TSaveFileRequest& request, QString& fileName)
{
    history_.append({Kind::SaveFile, request.filter, request.title, mtCustom, {}});
    lastSaveRequest_ = request;
    if (saveAnswers_.empty()) {
        ++unanswered_;
        return false;
    }
    std::optional<QString> answer = saveAnswers_.front();
    saveAnswers_.pop_front();
    if (!answer)
        return false;
    fileName = *answer;
    return true;
}

int ScriptedInteraction::ExecDialog(QDialog& dialog)
{
    history_.append({Kind::Form, dialog.objectName(), dialog.windowTitle(), mtCustom, {}});
    if (formAnswers_.empty()) {
        ++unanswered_;
        return QDialog::Rejected;
    }
    FormAnswer answer = std::move(formAnswers_.front());
    formAnswers_.pop_front();
    // Shown without a modal loop, so the form's own on-show work runs.
    dialog.show();
    const int result = answer(dialog);
    dialog.hide();
    dialog.setResult(result);
    return result;
}
