// What the page asks of the browser, through shell.html: the tab's session
// storage, its history entries and the share sheet.
#pragma once

#include <optional>
#include <string>

#include "frontends/web/BrowserHistory.h"
#include "frontends/web/PageRecord.h"

namespace kinpath::web {

// The run kept under the key in the tab's session storage, if any.
std::optional<PageRecord> KeptRecord(const std::string& key);
// Null removes what the key held.
void KeepRecord(const std::string& key, const PageRecord* record);

// A token no other run of this tab has: its history entries are its own.
std::string NewToken();
// The position of the entry the page stands on (0 for one no run wrote).
int EntryPos();
// The entry the page stands on, as the run of that token sees it from step
// depth on the entry at position pos, with its base.
BrowserEntry EntryOf(const std::string& token, int depth, int pos, int base);
// Whether the page stands on an entry of some run of the page.
bool OnRunEntry();
// Carries out the plan on the entries of the run of that token, base and the
// position of the run's entry following it; whether it wrote or moved to an
// entry.
bool WriteHistory(const HistoryPlan& plan, const std::string& token, int& base, int& pos);
void HistoryBack();

void Share(const std::string& text);

}  // namespace kinpath::web
