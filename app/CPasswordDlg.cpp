#include "app/CPasswordDlg.h"

#include "messages/CMessagesDlg.h"
#include "res/Resources.h"
#include "store/CRegistryStore.h"
#include "store/NumberLists.h"
#include "store/RegistryKeys.h"

#include <algorithm>

namespace {

// The keypad's digit buttons and what each types.
constexpr std::pair<int, char16_t> kDigits[] = {
    {1009, u'1'}, {1010, u'2'}, {1011, u'3'}, {1012, u'4'}, {1020, u'5'},
    {1021, u'6'}, {1022, u'7'}, {1023, u'8'}, {1024, u'9'}, {1025, u'0'}};

} // namespace

CPasswordDlg::CPasswordDlg() : CDialog(133) {}

const CMessageMap& CPasswordDlg::GetMessageMap() const {
    static const CMessageMap map{{
        OnClicked(1009, &CPasswordDlg::OnDigit),
        OnClicked(1010, &CPasswordDlg::OnDigit),
        OnClicked(1011, &CPasswordDlg::OnDigit),
        OnClicked(1012, &CPasswordDlg::OnDigit),
        OnClicked(1020, &CPasswordDlg::OnDigit),
        OnClicked(1021, &CPasswordDlg::OnDigit),
        OnClicked(1022, &CPasswordDlg::OnDigit),
        OnClicked(1023, &CPasswordDlg::OnDigit),
        OnClicked(1024, &CPasswordDlg::OnDigit),
        OnClicked(1025, &CPasswordDlg::OnDigit),
        OnClicked(1026, &CPasswordDlg::OnBackspace),
        OnSetFocus(1014, &CPasswordDlg::OnFirstEntryFocus),
        OnSetFocus(1003, &CPasswordDlg::OnSecondEntryFocus),
    }};
    return map;
}

void CPasswordDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, 1014, m_firstEntry);
    DDX_Text(pDX, 1003, m_secondEntry);
}

bool CPasswordDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_focusedEntry = 0;
    if (m_mode == kCheck) {
        for (const int id : {1003, 1017, 1016, 1015})
            GetDlgItem(id)->ShowWindow(SW_HIDE);
    } else {
        GetDlgItem(1003)->MoveWindow(71, 56, 135, 18);
    }
    GetDlgItem(1014)->MoveWindow(71, 30, 135, 18);
    return true; // the first entry takes the focus as the first control
}

void CPasswordDlg::OnFirstEntryFocus() {
    m_focusedEntry = 1;
}
void CPasswordDlg::OnSecondEntryFocus() {
    m_focusedEntry = 2;
}

CString* CPasswordDlg::FocusedEntry() {
    return m_focusedEntry == 1 ? &m_firstEntry : m_focusedEntry == 2 ? &m_secondEntry : nullptr;
}

void CPasswordDlg::OnDigit(int id) {
    UpdateData(true);
    for (const auto& [button, digit] : kDigits)
        if (button == id)
            if (CString* entry = FocusedEntry())
                *entry += digit;
    UpdateData(false);
}

void CPasswordDlg::OnBackspace() {
    UpdateData(true);
    if (CString* entry = FocusedEntry())
        *entry = entry->Left(entry->GetLength() - 1);
    UpdateData(false);
}

void CPasswordDlg::OnOK() {
    UpdateData(true);
    if (m_mode == kSet)
        ConfirmNewPassword();
    else
        CheckPassword();
}

void CPasswordDlg::ConfirmNewPassword() {
    if (m_firstEntry.IsEmpty()) {
        MessageBox(u"密码不能为空！", kCaption, MB_OK | MB_ICONSTOP);
        return;
    }
    if (m_firstEntry != m_secondEntry) {
        MessageBox(u"输入密码不一致，请重新输入！", kCaption, MB_OK | MB_ICONSTOP);
        m_firstEntry.Empty();
        m_secondEntry.Empty();
        UpdateData(false);
        return;
    }
    EndDialog(IDOK);
}

void CPasswordDlg::CheckPassword() {
    // Both passwords are read at every attempt, the backup one first.
    m_storedPassword = u"*";
    if (CRegistryStore::ReadString(keys::kSettings, u"PWDBK", m_storedPassword) != 0 ||
        m_storedPassword.IsEmpty())
        m_storedPassword = u"*";
    const CString backup = m_storedPassword;
    // A main password that cannot be read (another writer removed it) matches nothing,
    // rather than the backup password left in the field.
    const bool mainRead =
        CRegistryStore::ReadString(keys::kSettings, u"PWD", m_storedPassword) == 0;
    if (mainRead && m_firstEntry == m_storedPassword) {
        m_outcome = kMainPassword;
        EndDialog(IDOK);
    } else if (m_firstEntry == backup) {
        m_outcome = kBackupPassword;
        EndDialog(IDOK);
    } else if (ShowDirectView(backup)) {
        m_outcome = kDirectView;
        EndDialog(IDOK);
    } else {
        MessageBox(u"密码不正确，请重新输入！", kCaption, MB_OK | MB_ICONSTOP);
        m_firstEntry.Empty();
        UpdateData(false);
    }
}

// The third way in: a red-list number typed behind as many characters as the backup
// password has opens that number's messages at once. The number is looked up as typed,
// then with "+86" in front, and, when typed with "+86", without it.
bool CPasswordDlg::ShowDirectView(const CString& backup) {
    const int skipped = std::min(backup.GetLength(), m_firstEntry.GetLength());
    const CString typed = m_firstEntry.Mid(skipped);
    CString candidates[] = {typed, u"+86" + typed, WithoutPlus86(typed)};
    const int tries = typed.StartsWith(u"+86") ? 3 : 2;
    for (int i = 0; i < tries; ++i) {
        if (CRegistryStore::ReadString(keys::kRedList, candidates[i], m_redEntry) != 0)
            continue;
        m_redEntryName = candidates[i];
        const CListEntry entry = DecodeListEntry(m_redEntry);
        CMessagesDlg viewer;
        viewer.m_number = Plus86Form(m_redEntryName);
        viewer.m_name = entry.name;
        viewer.m_level = entry.high ? u"*" : u"";
        viewer.DoModal();
        return true;
    }
    return false;
}
