#include "app/CMainDlg.h"

#include "app/CAboutDlg.h"
#include "app/CPasswordDlg.h"
#include "messages/CMessagesDlg.h"
#include "platform/shell/launch.h"
#include "res/Resources.h"
#include "settings/CSettingsDlg.h"
#include "signal/Signals.h"
#include "store/CRegistryStore.h"
#include "store/MessageStore.h"
#include "store/NumberLists.h"
#include "store/RegistryKeys.h"
#include "ui/CContactsDlg.h"

namespace {

constexpr int kListColumns[] = {70, 135, 35};
constexpr std::uint32_t kListExtendedStyle =
    LVS_EX_FULLROWSELECT | LVS_EX_NOHSCROLL | LVS_EX_GRADIENT;

constexpr const char16_t* kBackupPasswordNotice =
    u"说明：使用备用密码进入本程序，将无法看到进入红名单的按钮，"
    u"在被自己亲密的人看到此软件情况下，可以用备用密码进入程序，"
    u"使其不知道本软件有加密隐私短信的功能！";

} // namespace

CMainDlg::CMainDlg()
    : CDialog(102), m_listTitle(u"短信黑名单"), m_hIcon(LoadIcon(128)),
      m_watcher([this] { LoadList(); }) {}

void CMainDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1001, m_numberList);
    DDX_Text(pDX, 1003, m_numberText);
    DDX_Text(pDX, 1000, m_listTitle);
    DDX_Text(pDX, 1008, m_nameText);
}

const CMessageMap& CMainDlg::GetMessageMap() const {
    static const CMessageMap map{{
        OnClicked(1004, &CMainDlg::OnAdd),
        OnCommand(32771, &CMainDlg::OnDelete),
        OnNotify(CNotice::ItemChanged, 1001, &CMainDlg::OnListRow),
        OnNotify(CNotice::Click, 1001, &CMainDlg::OnListClick),
        OnCommand(32774, &CMainDlg::OnAbout),
        OnCommand(32780, &CMainDlg::OnSystemContacts),
        OnCommand(32779, &CMainDlg::OnSystemSms),
        OnClicked(1013, &CMainDlg::OnSwitchList),
        OnClicked(1014, &CMainDlg::OnChangePassword),
        OnClicked(1005, &CMainDlg::OnFirewall),
        OnCommand(32787, &CMainDlg::OnBackupPassword),
        OnCommand(32804, &CMainDlg::OnExit),
        OnCommand(32781, &CMainDlg::OnSettings),
    }};
    return map;
}

bool CMainDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);
    CenterWindow();
    CleanUpLists();
    m_menuBar = std::make_unique<platform::gui::CMenuBar>(*this, 129);
    if (!PassGate()) {
        EndDialog(IDCANCEL);
        return false;
    }

    m_numberList.m_menuMode = CNumberListCtrl::kMainMenuMode;
    if (m_outcome == CPasswordDlg::kBackupPassword) {
        // The reduced program: nothing of the red list, and the menu bar without it.
        m_numberList.m_menuMode = CNumberListCtrl::kNoMenuMode;
        GetDlgItem(1013)->ShowWindow(SW_HIDE);
        GetDlgItem(1005)->ShowWindow(SW_HIDE);
        m_reducedMenuBar = std::make_unique<platform::gui::CMenuBar>(*this, 138);
        m_menuBar->Show(false);
    }
    if (m_outcome == CPasswordDlg::kDirectView)
        EndDialog(IDCANCEL); // the private view was all; the window goes once it is set up

    m_redView = 0;
    GetDlgItem(1003)->MoveWindow(60, 28, 100, 18);
    GetDlgItem(1008)->MoveWindow(60, 48, 100, 18);
    m_numberList.SetExtendedStyle(kListExtendedStyle);
    for (int column = 0; column < 3; ++column)
        m_numberList.InsertColumn(column, u"", LVCFMT_LEFT, kListColumns[column]);
    m_listKey = keys::kBlackList;
    LoadList();

    CString stop;
    ShowFirewallState(CRegistryStore::ReadString(keys::kSettings, u"stop", stop) == 0);
    if (m_outcome != CPasswordDlg::kBackupPassword)
        OnSwitchList();
    m_watcher.Start();
    return true;
}

bool CMainDlg::PassGate() {
    CString password;
    CPasswordDlg gate;
    gate.m_mode = CRegistryStore::ReadString(keys::kSettings, u"PWD", password) == 0
                      ? CPasswordDlg::kCheck
                      : CPasswordDlg::kSet;
    if (gate.DoModal() != IDOK)
        return false;
    if (gate.m_mode == CPasswordDlg::kSet) {
        CRegistryStore::WriteString(keys::kSettings, u"PWD", gate.m_firstEntry);
        m_outcome = CPasswordDlg::kMainPassword;
    } else {
        m_outcome = gate.m_outcome;
    }
    return true;
}

void CMainDlg::LoadList() {
    m_numberList.DeleteAllItems();
    m_selected = -1;
    int row = 0;
    for (const CListRow& entry : LoadListRows(m_listKey, m_redView != 0)) {
        m_numberList.InsertItem(row, entry.column[0]);
        m_numberList.SetItemText(row, 1, entry.column[1]);
        m_numberList.SetItemText(row, 2, entry.column[2]);
        ++row;
    }
}

void CMainDlg::OnAdd() {
    UpdateData(true);
    if (m_numberText.IsEmpty()) {
        MessageBox(u"请输入要添加的手机号码！", kCaption, MB_OK | MB_ICONSTOP);
        return;
    }
    const CString question =
        m_redView ? CString::Formatted(u"是否要添加<%s> %s到短信红名单？", m_nameText, m_numberText)
                  : CString::Formatted(u"是否要添加%s到短信黑名单？", m_numberText);
    if (MessageBox(question, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (AddListEntry(m_listKey, m_numberText, m_nameText) != 0) {
        MessageBox(u"添加失败！", kCaption, MB_OK | MB_ICONSTOP);
        return;
    }
    LoadList();
    m_numberText.Empty();
    m_nameText.Empty();
    UpdateData(false);
}

void CMainDlg::OnDelete() {
    if (m_selected == -1) {
        MessageBox(u"请选择要删除的号码！", kCaption, MB_OK | MB_ICONSTOP);
        return;
    }
    const CString number = m_numberList.GetItemText(m_selected, 1);
    const CString shown = m_numberList.GetItemText(m_selected, 0);
    if (MessageBox(CString::Formatted(u"是否要删除<%s>%s？", shown, number), kCaption,
                   MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (DeleteListEntry(m_listKey, number) != 0) {
        MessageBox(u"删除失败！", kCaption, MB_OK | MB_ICONSTOP);
        return;
    }
    if (m_redView && MessageBox(u"是否要将该号码的加密短信也删除？", kCaption,
                                MB_YESNO | MB_ICONQUESTION) == IDYES)
        DeleteReceivedMessages(number); // the sent copies stay
    LoadList();
}

// A row's change names the row (-1 below the rows).
void CMainDlg::OnListRow(int item) {
    m_selected = item;
}

void CMainDlg::OnListClick(int item) {
    m_selected = item;
    if (m_redView)
        OpenRedListNumber(item);
}

// The number's private messages; afterwards the level the owner left set in the viewer is
// written back under the number exactly as listed.
void CMainDlg::OpenRedListNumber(int item) {
    const bool onRow = item >= 0 && item < m_numberList.GetItemCount();
    const CString number = onRow ? m_numberList.GetItemText(item, 1) : CString();
    CString name = onRow ? m_numberList.GetItemText(item, 0) : CString();
    if (name.StartsWith(kUnreadMarker))
        name = name.Mid(3);
    if (number.IsEmpty())
        return;

    CMessagesDlg viewer;
    viewer.m_number = Plus86Form(number);
    viewer.m_name = name;
    viewer.m_level = m_numberList.GetItemText(item, 2);
    viewer.DoModal();

    CRegistryStore::WriteString(keys::kRedList, number, viewer.m_level + name);
    m_numberList.SetItemText(item, 2, viewer.m_level);
    LoadList();
    m_numberList.SetItemState(item, LVIS_FOCUSED, LVIS_FOCUSED);
    m_numberList.SetFocus();
}

void CMainDlg::OnAbout() {
    CAboutDlg about;
    about.DoModal();
}

// The picker asked already; its yes (2) adds the contact, high, to the list on view, under
// the number as the contact holds it. A contact without any number makes no entry.
void CMainDlg::OnSystemContacts() {
    CContactsDlg picker;
    picker.m_toRedList = m_redView ? 1 : 0;
    if (picker.DoModal() != IDCANCEL)
        return;
    if (picker.m_number.IsEmpty() || AddListEntry(m_listKey, picker.m_number, picker.m_name) != 0) {
        MessageBox(u"添加失败！", kCaption, MB_OK | MB_ICONSTOP);
        return;
    }
    LoadList();
    UpdateData(false);
}

void CMainDlg::OnSystemSms() {
    platform::StartProgram(u"\\Windows\\tmail.exe", u"");
}

void CMainDlg::OnSwitchList() {
    // What the owner typed stays where it is: only the number entry is cleared.
    UpdateData(true);
    const CRect rect = m_numberList.GetWindowRect();
    if (m_redView == 0) {
        m_numberList.MoveWindow(rect.left, 70, rect.Width(), rect.Height() - 20);
        m_numberList.ShowWindow(SW_SHOW);
        SetDlgItemText(1013, u"进入短信黑名单");
        GetDlgItem(1014)->ShowWindow(SW_SHOW);
        m_listTitle = u"短信红名单";
        m_redView = 1;
        m_listKey = keys::kRedList;
    } else {
        m_numberList.MoveWindow(rect.left, 50, rect.Width(), rect.Height() + 20);
        SetDlgItemText(1013, u"进入短信红名单");
        GetDlgItem(1014)->ShowWindow(SW_HIDE);
        m_listTitle = u"短信黑名单";
        m_redView = 0;
        m_listKey = keys::kBlackList;
    }
    m_numberText.Empty();
    LoadList();
    UpdateData(false);
}

void CMainDlg::OnChangePassword() {
    CPasswordDlg dlg;
    dlg.m_mode = CPasswordDlg::kSet;
    if (dlg.DoModal() == IDOK)
        CRegistryStore::WriteString(keys::kSettings, u"PWD", dlg.m_firstEntry);
}

void CMainDlg::OnBackupPassword() {
    CPasswordDlg dlg;
    dlg.m_mode = CPasswordDlg::kSet;
    if (dlg.DoModal() != IDOK)
        return;
    CRegistryStore::WriteString(keys::kSettings, u"PWDBK", dlg.m_firstEntry);
    MessageBox(kBackupPasswordNotice, u"Brenwick", MB_OK | MB_ICONINFORMATION);
}

void CMainDlg::OnFirewall() {
    if (m_firewallOff == 0) {
        if (MessageBox(u"是否确定要关闭防火墙？", kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        if (CRegistryStore::WriteString(keys::kSettings, u"stop", u"stop") != 0) {
            MessageBox(u"操作失败！", kCaption, MB_OK | MB_ICONSTOP);
            return;
        }
        ShowFirewallState(true);
    } else {
        if (MessageBox(u"是否确定要开启防火墻？", kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        if (CRegistryStore::DeleteValue(keys::kSettings, u"stop") != 0) {
            MessageBox(u"操作失败！", kCaption, MB_OK | MB_ICONSTOP);
            return;
        }
        ShowFirewallState(false);
    }
}

// The button offers the other state; the title tells the one the firewall is in.
void CMainDlg::ShowFirewallState(bool off) {
    m_firewallOff = off ? 1 : 0;
    SetDlgItemText(1005, off ? u"开" : u"关");
    SetWindowText(off ? u"Brenwick关闭" : u"Brenwick开启");
}

// The settings window can import lists: the list on view is read again however it closed.
void CMainDlg::OnSettings() {
    CSettingsDlg settings(nullptr);
    settings.DoModal();
    LoadList();
}

void CMainDlg::OnExit() {
    OnOK();
}

// The stop signal, then the window closes; the program ends with it.
void CMainDlg::OnOK() {
    SignalStop();
    CDialog::OnOK();
}

// The watcher ends before the window goes, however it closes.
void CMainDlg::OnDestroy() {
    m_watcher.Stop();
    CDialog::OnDestroy();
}
