// The page's own arrangement of the dialog: the controls it makes and in
// which order (its tab order, which follows what the eye sees), where each
// stands on either layout (the template's rectangles at the page's base
// units), the controls only the page has, and the words it adds. The page's
// script receives all of it as data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "flow/BarAnimation.h"
#include "window/DialogTemplate.h"
#include "window/Screen.h"

namespace kinpath::web {

// Controls only the page has: Back beside OK and Skip, Share on the results,
// and the heading of the verdict above the report (a focus target).
inline constexpr int IdBack = 2001;
inline constexpr int IdShare = 2002;
inline constexpr int IdVerdict = 2003;

// The page lays the dialog out for text of 1rem (16 CSS pixels): a dialog
// unit is a quarter of BaseX and an eighth of BaseY pixels there, and the
// page scales it all with the reader's font size.
inline constexpr int PageBaseX = 8;
inline constexpr int PageBaseY = 16;

struct PageControl {
    int id = 0;
    // "question", "choice", "pane", "label", "bar" or "button".
    const char* kind = "";
    // Where the page keeps it: "client", "choices", "races", "classes" or
    // "buttons"; a bar goes beside its label (partner).
    const char* place = "client";
    std::string text;
    int partner = 0;
    char accessKey = 0;
    bool primary = false;  // the default button
    bool enabled = true;   // as the template makes it
    // The layouts whose button row holds it (a push button only).
    bool onQuestions = false;
    bool onResults = false;
};

// Every control the page makes, in page order.
std::vector<PageControl> PageControls();

// The client area, in pixels at the base units.
Rect PageClient();
// Where a control stands on a layout, in pixels at the base units; an empty
// rectangle for one the layout does not place.
Rect PagePlace(int id, Layout layout);

// Words of the page: the caption of a control only the page has.
const char* PageCaption(int id);
// The pick as a heading, and as one sentence to share.
std::string PickTitle(const Verdict& verdict);
// What the card calls the pick: "Your best race and class".
std::string PickLabel(const Verdict& verdict);
// The pick said with the questionnaire's title: "I got Dwarf Paladin on
// 'Which hero are you?'".
std::string ShareSentence(const Verdict& verdict, const std::string& title);
// The result card's lines, drawn by the page as an image to share or save:
// the title, the card's label, the pick, then each table's heading and its
// three leaders as "name TAB score TAB thousandths".
std::string CardLines(const Verdict& verdict, const std::string& title);
// What a screen reader hears once when the results come: the pick and why.
std::string VerdictAnnouncement(const Verdict& verdict);
// A standing's bar in thousandths of the group's highest score (of 100 when
// none is higher), so that leaders above 100 stay apart.
int StandingPermille(std::int32_t score, std::int32_t top);
// The highest score among rows (0 when none is above it).
std::int32_t TopScore(const std::vector<Verdict::Standing>& rows);
// The strip that stays in sight while answering: the three leading rows of
// each table with their totals (the run's, not the bars' moving ones) ("Leading now: Dwarf 18, ...
// · Paladin 18"); empty while no row has points.
std::string LeadersText(const Screen& shown, const PointValues& totals);
// The offer of a run kept from an earlier visit: where it stands.
std::string ContinueText(int number, int count);

}  // namespace kinpath::web
