#include "app/SpokenWords.h"

namespace kinpath {

std::string ProgressText(int number, int count) {
    if (number <= 0) return "";
    return "Question " + std::to_string(number) + " of " + std::to_string(count);
}

std::string ChoiceKeyText(int number) { return "Press " + std::to_string(number); }

}  // namespace kinpath
