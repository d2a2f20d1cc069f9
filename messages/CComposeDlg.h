#pragma once

// The compose window (dialog 136): the owner writes an SMS to a red-list number, with the
// phone's preset phrases at hand, and sends it. The send goes to a send job and the window
// closes at once; a copy goes to the number's outbox when the owner keeps copies. The last
// text and the keep-copies choice are remembered in the settings key.

#include "platform/gui/boxes.h"
#include "platform/gui/dialog.h"
#include "platform/shell/menu.h"

#include <memory>

class CComposeDlg : public CDialog {
public:
    explicit CComposeDlg(CWnd* parent = nullptr);

    CListBox m_phraseList; // list box 1034
    CString m_number;      // static 1016: the recipient in "+86" form, set by the opener
    CString m_text;        // edit 1017
    int m_saveCopy = 0;    // check box 1032
    CString m_recipient;   // static 1023: "收件人:" and the name, set by the opener
    CString m_counter;     // static 1033
    int m_textShown = 1;   // 1 while the text box shows, 0 while the phrase list does

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    const CMessageMap& GetMessageMap() const override;
    void OnOK() override;
    void OnClose() override;

private:
    // Fields to controls. The text box tells of the change the push makes to it while the
    // other controls are not yet pushed; that notice is the window's own and is passed over.
    void PushFields();
    void FillPhraseList();
    void ShowText(bool textShown);
    void CountCharacters();
    void OnSend();
    void OnTextChange();
    void OnPhrases();
    void OnPhraseDoubleClick(int item);

    std::unique_ptr<platform::gui::CMenuBar> m_menuBar; // menu bar 139
    bool m_pushing = false;
};
