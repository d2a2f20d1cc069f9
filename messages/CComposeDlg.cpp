#include "messages/CComposeDlg.h"

#include "messages/SendJob.h"
#include "res/Resources.h"
#include "store/CRegistryStore.h"
#include "store/MessageStore.h"
#include "store/RegistryKeys.h"

namespace {

constexpr const char16_t* kHint = u"<双击插入短语,点击常用短语菜单返回>";
constexpr const char16_t* kLastText = u"SMSCONTENT";
constexpr const char16_t* kKeepCopies = u"SAVE";

} // namespace

CComposeDlg::CComposeDlg(CWnd* parent) : CDialog(136, parent) {}

void CComposeDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1034, m_phraseList);
    DDX_Text(pDX, 1016, m_number);
    DDX_Text(pDX, 1017, m_text);
    DDX_Check(pDX, 1032, m_saveCopy);
    DDX_Text(pDX, 1023, m_recipient);
    DDX_Text(pDX, 1033, m_counter);
}

const CMessageMap& CComposeDlg::GetMessageMap() const {
    static const CMessageMap map{{
        OnClicked(1018, &CComposeDlg::OnSend),
        OnChanged(1017, &CComposeDlg::OnTextChange),
        OnNotify(CNotice::DblClick, 1034, &CComposeDlg::OnPhraseDoubleClick),
        OnCommand(32791, &CComposeDlg::OnPhrases),
    }};
    return map;
}

bool CComposeDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_menuBar = std::make_unique<platform::gui::CMenuBar>(*this, 139);
    m_textShown = 1;
    CString ignored;
    m_saveCopy = CRegistryStore::ReadString(keys::kSettings, kKeepCopies, ignored) == 0 ? 1 : 0;
    FillPhraseList();
    CString last = u"*";
    if (CRegistryStore::ReadString(keys::kSettings, kLastText, last) != 0)
        last = u"*";
    if (last == u"*") {
        m_text.Empty();
        m_counter.Empty(); // until the first change
    } else {
        m_text = last;
        CountCharacters();
    }
    PushFields();
    return true;
}

void CComposeDlg::PushFields() {
    m_pushing = true;
    UpdateData(false);
    m_pushing = false;
}

// The hint goes in after the phrases, at the top whatever they sort like, so that row 0
// is always the hint and every phrase can be inserted.
void CComposeDlg::FillPhraseList() {
    m_phraseList.ResetContent();
    CRegistryStore::EnumerateValues(HKEY_CURRENT_USER, keys::kPresetPhrases,
                                    [this](const CString&, const CString& phrase) {
                                        if (!phrase.IsEmpty())
                                            m_phraseList.AddString(phrase);
                                    });
    m_phraseList.InsertString(0, kHint);
}

void CComposeDlg::ShowText(bool textShown) {
    GetDlgItem(1017)->ShowWindow(textShown ? SW_SHOW : SW_HIDE);
    m_phraseList.ShowWindow(textShown ? SW_HIDE : SW_SHOW);
    m_textShown = textShown ? 1 : 0;
}

void CComposeDlg::CountCharacters() {
    m_counter = CString::Formatted(u"字数:%d", m_text.GetLength());
}

void CComposeDlg::OnTextChange() {
    if (m_pushing)
        return;
    UpdateData(true);
    CountCharacters();
    PushFields();
}

void CComposeDlg::OnPhrases() {
    ShowText(m_textShown == 0);
}

void CComposeDlg::OnPhraseDoubleClick(int) {
    const int row = m_phraseList.GetCurSel();
    if (row <= 0)
        return; // the hint, or no row
    m_text = m_phraseList.GetText(row);
    ShowText(true);
    CountCharacters();
    PushFields();
    GetDlgItem(1017)->SetFocus();
}

void CComposeDlg::OnSend() {
    UpdateData(true);
    if (m_saveCopy) {
        StoreSentCopy(m_number, m_text);
        CRegistryStore::WriteString(keys::kSettings, kKeepCopies, kKeepCopies);
    } else {
        CRegistryStore::DeleteValue(keys::kSettings, kKeepCopies);
    }
    CRegistryStore::WriteString(keys::kSettings, kLastText, m_text);
    if (!StartSendJob({m_number, m_text})) {
        MessageBox(u"发送短信失败！", kCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    CDialog::OnOK();
}

void CComposeDlg::OnOK() {
    if (s_sending != 0)
        return;
    UpdateData(true);
    CRegistryStore::WriteString(keys::kSettings, kLastText, m_text);
    EndDialog(IDOK);
}

void CComposeDlg::OnClose() {
    if (s_sending != 0)
        return;
    CDialog::OnClose();
}
