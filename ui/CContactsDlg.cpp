#include "ui/CContactsDlg.h"

#include "res/Resources.h"
#include "ui/ContactGroups.h"

namespace {

constexpr int kColumns[] = {80, 122, 37};
constexpr std::uint32_t kListExtendedStyle =
    LVS_EX_FULLROWSELECT | LVS_EX_NOHSCROLL | LVS_EX_GRADIENT;
constexpr int kStripWidth = 241;
constexpr int kStripHeight = 17;

} // namespace

std::unique_ptr<platform::ContactsApplication> s_contactsApp;

CContactsDlg::CContactsDlg() : CDialog(131) {}

void CContactsDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 2001, m_list);
}

const CMessageMap& CContactsDlg::GetMessageMap() const {
    static const CMessageMap map{{
        OnNotify(CNotice::Click, 2001, &CContactsDlg::OnTapRow),
    }};
    return map;
}

bool CContactsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_strip.LoadBitmap(132);
    for (int column = 0; column < 3; ++column)
        m_list.InsertColumn(column, u"", LVCFMT_LEFT, kColumns[column]);
    m_list.SetExtendedStyle(kListExtendedStyle);
    if (!OpenContacts()) {
        MessageBox(u"无法打开联系人！"); // with the program's title: no caption of its own
        return true;
    }
    m_folder = s_contactsApp->GetDefaultFolder(platform::olFolderContacts);
    if (m_folder)
        m_items = m_folder->Items();
    FillContactList(); // every contact, with a name or without
    return true;
}

bool CContactsDlg::OpenContacts() {
    m_libraryStarted = platform::CoInitializeEx(nullptr, platform::COINIT_MULTITHREADED);
    if (!m_libraryStarted)
        return false;
    s_contactsApp = platform::ContactsApplication::Create();
    return s_contactsApp && s_contactsApp->Logon();
}

void CContactsDlg::CloseContacts() {
    m_items.reset();
    m_folder.reset();
    if (s_contactsApp) {
        s_contactsApp->Logoff();
        s_contactsApp.reset();
    }
    if (m_libraryStarted)
        platform::CoUninitialize();
    m_libraryStarted = false;
}

void CContactsDlg::FillContactList() {
    m_list.DeleteAllItems();
    const int count = m_items ? m_items->Count() : 0;
    for (int row = 0; row < count; ++row)
        AddContactRow(row);
}

// Name "last,first", or whichever is present; the mobile number, else the work number,
// else the third one, with "移" only for the mobile.
void CContactsDlg::AddContactRow(int row) {
    const auto contact = m_items->Item(row + 1);
    if (!contact) {
        m_list.InsertItem(row, u""); // a contact that cannot be fetched keeps its place
        return;
    }
    const CString first(contact->first), last(contact->last);
    const CString name = !last.IsEmpty() && !first.IsEmpty()
                             ? CString::Formatted(u"%s,%s", last, first)
                             : CString::Formatted(u"%s%s", last, first);
    CString kind = u"移";
    CString number(contact->mobile);
    if (number.IsEmpty()) {
        kind = u"工";
        number = contact->work;
        if (number.IsEmpty())
            number = contact->other;
    }
    m_list.InsertItem(row, name);
    m_list.SetItemText(row, 1, number);
    m_list.SetItemText(row, 2, kind);
}

void CContactsDlg::OnPaint() {
    CPaintDC dc(this);
    CDC strip;
    strip.CreateCompatibleDC(&dc);
    CBitmap* before = strip.SelectObject(&m_strip);
    dc.BitBlt(0, 0, kStripWidth, kStripHeight, &strip, 0, 0, SRCCOPY);
    strip.SelectObject(before);
}

// A pen-up on the strip chooses the group under it by the hit edges, and the list shows
// that group; right of the last edge it shows the group chosen before.
void CContactsDlg::OnLButtonUp(unsigned flags, CPoint point) {
    if (point.y < kStripHeight) {
        for (int group = 0; group < 9; ++group)
            if (point.x < kGroupEdges[group]) {
                m_filter = kGroupFilters[group];
                break;
            }
        if (m_filter)
            ApplyGroupFilter();
    }
    CDialog::OnLButtonUp(flags, point);
}

// The folder's whole collection, narrowed by the group; what the store would not narrow
// shows whole.
void CContactsDlg::ApplyGroupFilter() {
    if (!m_folder)
        return;
    m_items = m_folder->Items();
    if (m_items)
        if (auto narrowed = m_items->Restrict(m_filter))
            m_items = std::move(narrowed);
    FillContactList();
}

// Below the rows there is nothing to add, and nothing is asked.
void CContactsDlg::OnTapRow(int item) {
    if (item < 0)
        return;
    m_name = m_list.GetItemText(item, 0);
    m_number = m_list.GetItemText(item, 1);
    const CString question =
        m_toRedList ? CString::Formatted(u"是否要添加%s_%s到短信红名单?", m_name, m_number)
                    : CString::Formatted(u"是否要添加%s_%s到短信黑名单?", m_name, m_number);
    if (MessageBox(question, kCaption, MB_YESNO) != IDNO)
        OnCancel(); // 2: the caller adds
}

void CContactsDlg::OnDestroy() {
    CDialog::OnDestroy();
    CloseContacts();
}
