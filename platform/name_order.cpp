#include "platform/name_order.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>
#include <unordered_map>

namespace platform {
namespace {

// A key is a run of units, each one character:
//   0x01 and the code point in three bytes, for a character that is not Chinese;
//   0x02, the pinyin in lower-case ASCII letters, 0x00, for a Chinese character.
// A Chinese character therefore follows every other one, and a syllable that is a prefix
// of another ("ta", "tai") comes first.
constexpr char kOther = 0x01;
constexpr char kChinese = 0x02;

void AppendOther(std::string& key, UChar32 c) {
    key += kOther;
    key += static_cast<char>((c >> 16) & 0xFF);
    key += static_cast<char>((c >> 8) & 0xFF);
    key += static_cast<char>(c & 0xFF);
}

bool IsVowel(char c) {
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'v';
}

// The units of single characters, worked out once each: the transliterators are slow and
// not safe to share between threads.
class UnitTable {
public:
    static UnitTable& Instance() {
        static UnitTable table;
        return table;
    }

    void Append(std::string& key, std::u16string_view text) {
        std::lock_guard lock(m_mutex);
        for (std::size_t i = 0; i < text.size();) {
            UChar32 c;
            U16_NEXT(text.data(), i, text.size(), c);
            auto it = m_units.find(c);
            if (it == m_units.end())
                it = m_units.emplace(c, Unit(c)).first;
            key += it->second;
        }
    }

private:
    UnitTable() {
        UErrorCode status = U_ZERO_ERROR;
        m_pinyin.reset(icu::Transliterator::createInstance("Han-Latin; Latin-ASCII; Lower",
                                                           UTRANS_FORWARD, status));
        status = U_ZERO_ERROR;
        m_latin.reset(icu::Transliterator::createInstance("Latin-ASCII", UTRANS_FORWARD, status));
        status = U_ZERO_ERROR;
        m_fold = icu::Normalizer2::getNFKCCasefoldInstance(status);
        if (U_FAILURE(status))
            m_fold = nullptr;
    }

    std::string Unit(UChar32 c) {
        UErrorCode status = U_ZERO_ERROR;
        if (uscript_getScript(c, &status) == USCRIPT_HAN && m_pinyin)
            return ChineseUnit(c);
        // Compatibility forms and case folded (full-width letters, "ﬁ"), accents removed.
        icu::UnicodeString text(c);
        if (m_latin)
            m_latin->transliterate(text);
        if (m_fold) {
            status = U_ZERO_ERROR;
            const icu::UnicodeString folded = m_fold->normalize(text, status);
            if (U_SUCCESS(status))
                text = folded;
        }
        std::string unit;
        for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1))
            AppendOther(unit, text.char32At(i));
        return unit;
    }

    // The pinyin of a character ICU knows; a Chinese character it does not know keeps an
    // empty pinyin, below every syllable, and so falls into no group of initials.
    std::string ChineseUnit(UChar32 c) {
        icu::UnicodeString text(c);
        m_pinyin->transliterate(text);
        std::string pinyin;
        for (int32_t i = 0; i < text.length(); ++i) {
            const char16_t letter = text.charAt(i);
            if (letter >= u'a' && letter <= u'z') {
                pinyin += static_cast<char>(letter);
            } else {
                pinyin.clear(); // not transliterated: no reading known
                break;
            }
        }
        // A syllable of a nasal alone (嗯 "n", 呣 "m", "hng") has no vowel: it goes to the
        // head of its initial, beside the initial's first syllable ("n" as "na"), so that the
        // initial's first character still bounds it.
        if (!pinyin.empty() && std::none_of(pinyin.begin(), pinyin.end(), IsVowel))
            pinyin.insert(1, "a");
        std::string unit(1, kChinese);
        unit += pinyin;
        unit += '\0';
        return unit;
    }

    std::mutex m_mutex;
    std::unique_ptr<icu::Transliterator> m_pinyin, m_latin;
    const icu::Normalizer2* m_fold = nullptr;
    std::unordered_map<UChar32, std::string> m_units;
};

} // namespace

std::string NameOrderKey(std::u16string_view text) {
    std::string key;
    key.reserve(text.size() * 4);
    UnitTable::Instance().Append(key, text);
    return key;
}

} // namespace platform
