#pragma once

// Contacts from a vCard file (versions 2.1, 3.0 and 4.0, as phones and address books
// export them): folded lines, quoted-printable values, CHARSET parameters, several TEL
// types. Given and family names come from N (else FN is the last name); the cell number is
// the mobile, the work number the work number, another number the third one.

#include "platform/phonedb.h"

#include <string>
#include <string_view>
#include <vector>

namespace phone {

struct VCardImport {
    std::vector<platform::PhoneContact> contacts; // in the file's order
    std::vector<std::string> skipped;             // one line per card left out, with why
    std::string error; // set when the file is no sound vCard file: then nothing is taken
};

VCardImport ReadVCards(std::string_view bytes);

} // namespace phone
