#pragma once

// The contacts picker (dialog 131): the phone's contacts in a list, narrowed by the letter
// strip painted above it; a tap on a contact asks whether to add it to the list the main
// window shows, and yes closes the picker with 2 and the contact's name and number.

#include "platform/contacts.h"
#include "platform/gui/dc.h"
#include "platform/gui/dialog.h"
#include "platform/gui/listctrl.h"

#include <memory>

// The application object of the contacts connection, while a picker is open.
extern std::unique_ptr<platform::ContactsApplication> s_contactsApp;

class CContactsDlg : public CDialog {
public:
    CContactsDlg();

    CString m_name;      // column 0 of the tapped row, read by the caller after the run
    CString m_number;    // column 1 of the tapped row
    int m_toRedList = 0; // set by the caller: 1 while the red list is on view
    CListCtrl m_list;    // list 2001
    std::shared_ptr<platform::ContactsFolder> m_folder;
    std::shared_ptr<platform::ContactItems> m_items; // the contacts now listed
    const char16_t* m_filter = nullptr;              // the group chosen last

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    const CMessageMap& GetMessageMap() const override;
    void OnPaint() override;
    void OnLButtonUp(unsigned flags, CPoint point) override;
    void OnDestroy() override;

private:
    bool OpenContacts();
    void CloseContacts();
    void FillContactList();
    void AddContactRow(int row);
    void ApplyGroupFilter();
    void OnTapRow(int item);

    CBitmap m_strip; // bitmap 132
    bool m_libraryStarted = false;
};
