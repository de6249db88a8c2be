// The interaction a person sees: Qt message boxes and input dialogs.
#pragma once

#include "platform/Interaction.h"

class QtInteraction : public Interaction
{
public:
    void ShowMessage(const QString& text) override;
    TModalResult MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    void ShowException(const std::exception& error) override;
    void Beep() override;
    bool PromptForSaveFile(const TSaveFileRequest& request, QString& fileName) override;
};
