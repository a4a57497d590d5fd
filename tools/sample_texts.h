#pragma once

#include <string>
#include <vector>

#include "rng.h"

// Names, addresses and words for the generated mail, in four languages. All texts are
// windows-1252 bytes, as the records hold them.
namespace dbx::gen {

struct Language {
    std::vector<std::string> firstNames;
    std::vector<std::string> lastNames;
    std::vector<std::string> domains;
    std::vector<std::string> subjects;
    std::vector<std::string> words;
    std::vector<std::string> greetings;  // followed by the first name and ","
    std::vector<std::string> closings;
    std::vector<std::string> fileStems;
    std::vector<std::string> hosts;  // machine names in message ids
    int zoneMinutes = 0;
};

struct Person {
    const Language* language = nullptr;  // of the name, and of what the person writes
    std::string first;
    std::string name;  // display name, never with an at sign
    std::string address;
};

// Someone with a name and a matching address, in a language picked by weight.
Person MakePerson(Rng& rng);

}  // namespace dbx::gen
