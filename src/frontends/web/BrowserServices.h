// What the page asks of the browser, through shell.html: the tab's session
// storage, its history entries and the share sheet.
#pragma once

#include <optional>
#include <string>

#include "frontends/web/BrowserHistory.h"

namespace kinpath::web {

std::optional<std::string> Stored(const std::string& key);
// None removes what the key held.
void Store(const std::string& key, const std::optional<std::string>& text);

// A token no other run of this tab has: its history entries are its own.
std::string NewToken();
// The entry the page stands on, as the run of that token sees it.
BrowserEntry EntryOf(const std::string& token);
// Whether the page stands on an entry of some run of the page.
bool OnRunEntry();
// Pushes or replaces the entry; whether the tab's history grew.
bool WriteEntry(bool push, const std::string& token, int depth, int base);
void HistoryBack();
void HistoryGo(int delta);

void Share(const std::string& text);

}  // namespace kinpath::web
