// What the page asks of the browser, through shell.html: its local storage,
// its history entries and the share sheet.
#pragma once

#include <optional>
#include <string>

#include "frontends/web/BrowserHistory.h"
#include "frontends/web/PageRecord.h"

namespace kinpath::web {

// The run kept under the key in the browser's local storage, if any.
std::optional<PageRecord> KeptRecord(const std::string& key);
// Null removes what the key held.
void KeepRecord(const std::string& key, const PageRecord* record);

// A token no other run of this tab has: its history entries are its own.
std::string NewToken();
// The entry the page stands on, as the run of that token sees it.
BrowserEntry EntryOf(const std::string& token);
// Whether the page stands on an entry of some run of the page.
bool OnRunEntry();
// Carries out the plan on the entries of the run of that token; whether the
// browser goes back (the page hears when it got there: a travel).
bool WriteHistory(const HistoryPlan& plan, const std::string& token);
void HistoryBack();

// The page's opening offers the run kept (resume: where it stands, empty
// for none) beside the button that starts one (begin).
void Offer(const std::string& resume, const std::string& begin);

// The result in a sentence, and its card as CardLines gives it.
void Share(const std::string& text, const std::string& card);
// The questionnaire's title, as the page's heading shows it.
std::string PageTitle();

}  // namespace kinpath::web
