#include "platform/DialogProgram.h"

#include <array>
#include <utility>

namespace velloran {

namespace {

constexpr std::array<std::pair<MessageIcon, std::string_view>, 5> kIcons{{
    {MessageIcon::None, "none"},
    {MessageIcon::Critical, "critical"},
    {MessageIcon::Question, "question"},
    {MessageIcon::Exclamation, "exclamation"},
    {MessageIcon::Information, "information"},
}};

constexpr std::array<std::pair<MessageButtons, std::string_view>, 4> kButtons{{
    {MessageButtons::OK, "ok"},
    {MessageButtons::OKCancel, "okcancel"},
    {MessageButtons::YesNo, "yesno"},
    {MessageButtons::YesNoCancel, "yesnocancel"},
}};

constexpr std::array<std::pair<MessageAnswer, int>, 4> kAnswers{{
    {MessageAnswer::OK, 10},
    {MessageAnswer::Cancel, 11},
    {MessageAnswer::Yes, 12},
    {MessageAnswer::No, 13},
}};

template <typename Table, typename Key>
auto Forward(const Table& table, Key key) {
  for (const auto& [k, v] : table)
    if (k == key) return v;
  return table.front().second;
}

template <typename Table, typename Value>
auto Backward(const Table& table, const Value& value)
    -> std::optional<typename Table::value_type::first_type> {
  for (const auto& [k, v] : table)
    if (v == value) return k;
  return std::nullopt;
}

}  // namespace

std::string_view DialogIconWord(MessageIcon icon) { return Forward(kIcons, icon); }
std::optional<MessageIcon> DialogIconFromWord(std::string_view word) {
  return Backward(kIcons, word);
}
std::string_view DialogButtonsWord(MessageButtons buttons) { return Forward(kButtons, buttons); }
std::optional<MessageButtons> DialogButtonsFromWord(std::string_view word) {
  return Backward(kButtons, word);
}
int DialogExitCode(MessageAnswer answer) { return Forward(kAnswers, answer); }
std::optional<MessageAnswer> DialogAnswerFromExitCode(int code) { return Backward(kAnswers, code); }

}  // namespace velloran
