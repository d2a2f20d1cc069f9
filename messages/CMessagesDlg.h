#pragma once

// The message viewer (dialog 134): the private messages of one red-list number, received
// or sent, the text of the chosen one and the number's level. From here the owner deletes,
// replies, forwards, calls, sets the number's photo and watches the messages as slides. A
// watcher lists the records again whenever the filter service stores new ones.

#include "platform/gui/boxes.h"
#include "platform/gui/dialog.h"
#include "platform/shell/menu.h"
#include "signal/CWatcher.h"
#include "ui/CNumberListCtrl.h"

#include <memory>

class CMessagesDlg : public CDialog {
public:
    explicit CMessagesDlg(CWnd* parent = nullptr);

    CString m_keyPath;   // the record key on view: the number's inbox or outbox
    CString m_level;     // "*" for high, anything else low; the opener reads it back
    CString m_photoPath; // "photo" as last read
    CComboBox m_branch;  // 1031: inbox (0) or outbox (1)
    CNumberListCtrl m_recordList;
    CString m_text;      // edit 1017
    CString m_number;    // static 1016, in its "+86" form
    CString m_name;      // static 1023
    int m_selected = -1; // the current record's row, -1 for none

    // Lists the records of m_keyPath; no row is current afterwards.
    void RefillRecords();

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    const CMessageMap& GetMessageMap() const override;
    void OnOK() override;
    void OnClose() override;
    void OnDestroy() override;

private:
    void OnRecordChanged(int item);
    void OnBranch();
    void OnLevelHigh();
    void OnLevelLow();
    void OnDelete();
    void OnReply();
    void OnCall();
    void OnForward();
    void OnSetAvatar();
    void OnSlideshow();
    void OnAutoPlay();
    void ShowSlides(int autoPlay);
    // The text box and the list, by the length of the text shown.
    void PlaceTextAndList(bool longText);

    std::unique_ptr<platform::gui::CMenuBar> m_menuBar; // menu bar 141
    CWatcher m_watcher;
};
