// A vCard file given to brenwick-phone's contact import.
#include "phone/vcard.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto result =
        phone::ReadVCards(std::string_view(reinterpret_cast<const char*>(data), size));
    // A file that is refused gives nothing.
    if (!result.error.empty() && (!result.contacts.empty() || !result.skipped.empty()))
        std::abort();
    return 0;
}
