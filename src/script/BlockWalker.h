// The one walk of the script's blocks: which block a line opens, which lines
// a block reads, what ends it, and which lines it refuses. What a line means
// is its handler's business. The loader is a handler that stops at the first
// line a block refuses; the checker one that says what is wrong and reads on,
// recovering where the walk says. So both read by one grammar.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "script/ScriptKeys.h"
#include "script/ScriptReader.h"

namespace kinpath {

// A block's keys in the order a line is tested against them.
constexpr KeyList BlockKeys(ScriptTag block) {
    switch (block) {
        case ScriptTag::Settings:
            return SettingsKeys;
        case ScriptTag::Question:
            return QuestionKeys;
        case ScriptTag::Answer:
            return AnswerKeys;
        case ScriptTag::Final:
            return FinalKeys;
        case ScriptTag::Game:
            return GameKeys;
        case ScriptTag::Race:
        case ScriptTag::Class:
            return RowBlockKeys;
        case ScriptTag::Total:
            break;
    }
    return TotalKeys;
}

// What the walk does after a line of a block.
enum class Then : std::uint8_t {
    Stop,         // the walk ends: the script is refused
    ReadOn,       // the block reads its next line
    EndBlock,     // the line ends the block, as its end tag would
    StartAnswer,  // the line opens an ANSWER block (in a QUESTION only)
};

// Walks a script's text block by block, telling its handler, whose hooks are:
//   void Read(const ScriptLine&)   each line read, skipped ones too
//   void Outside()                 a line outside any block that opens none
//   bool Open(ScriptTag)           the line opens a block (an ANSWER inside a QUESTION);
//                                  false stops
//   Then Key(ScriptTag, LineKey)   a line of the block that holds one of its keys
//   Then Keyless(ScriptTag, LineKey)  one that holds none
//   bool Cut(ScriptTag)            a tag the block cannot hold ends it unclosed:
//                                  a block's start tag, or in an ANSWER, <ANSWER>
//                                  and </QUESTION>; false stops
//   bool EndOfFile(ScriptTag)      the file ends inside the block; false stops
//   bool Close(ScriptTag)          a block other than a QUESTION is over,
//                                  closed or not (an ANSWER's QUESTION gets no
//                                  Cut or EndOfFile of its own); false stops
//   bool CloseQuestion()           a QUESTION is over: true reads it again
//   std::vector<KeyHit>* Hits()    where the key texts of a line go, or null
//   bool EndDeclaration()          the first QUESTION's start tag is read, or the
//                                  file ends before one: a game's blocks are over
//                                  (GAME, RACE, CLASS, TOTAL open blocks only
//                                  before it); false stops
// The line the hooks are about is Line().
template <typename Handler>
class BlockWalker {
public:
    BlockWalker(std::string_view bytes, Handler& handler) : reader_(bytes), handler_(handler) {}

    // Walks the whole text; false when a hook stopped the walk.
    bool Walk();

    const ScriptLine& Line() const { return line_; }
    // Whether the line opens a block where it stands: an ANSWER opens one
    // only inside a QUESTION, a game's block only before the first question.
    bool IsBlockStart() const {
        return line_.kind == ScriptLine::Kind::StartTag && line_.tag != ScriptTag::Answer &&
               (declaring_ || !IsGameTag(line_.tag));
    }
    bool Declaring() const { return declaring_; }
    // The keys a block's lines are tested against: an ANSWER's are the
    // built-in game's unless a declared game's are set.
    KeyList Keys(ScriptTag block) const {
        return block == ScriptTag::Answer ? answerKeys_ : BlockKeys(block);
    }
    void SetAnswerKeys(KeyList keys) { answerKeys_ = keys; }
    // Where the walk stands, to read ahead from a copy.
    const ScriptReader& Reader() const { return reader_; }
    // The window's number of the last line read.
    std::int64_t Number() const { return reader_.Number(); }

private:
    // What reading an ANSWER block came to.
    enum class Answered { Stopped, QuestionGoesOn, QuestionEnds };

    bool Next();
    Then KeyLine(ScriptTag block);
    bool Block(ScriptTag block);
    bool Question();
    bool QuestionLines();
    Answered Answer();

    ScriptReader reader_;
    Handler& handler_;
    ScriptLine line_;
    bool held_ = false;      // the line ended a block: the block around it reads it again
    bool declaring_ = true;  // no QUESTION yet
    KeyList answerKeys_ = AnswerKeys;
};

// A line the window skips is read all the same: the checker warns of some.
template <typename Handler>
bool BlockWalker<Handler>::Next() {
    if (held_) {
        held_ = false;
        return true;
    }
    while (reader_.Next(line_)) {
        handler_.Read(line_);
        if (line_.kind != ScriptLine::Kind::Skipped) return true;
    }
    return false;
}

template <typename Handler>
Then BlockWalker<Handler>::KeyLine(ScriptTag block) {
    std::vector<KeyHit>* hits = handler_.Hits();
    if (hits != nullptr) hits->clear();
    const LineKey key = FindLineKey(Keys(block), line_.text, hits);
    return key.key != NoKey ? handler_.Key(block, key) : handler_.Keyless(block, key);
}

// Between blocks only a start tag counts; an ANSWER block counts only inside
// a QUESTION. A later SETTINGS or FINAL block replaces an earlier one.
template <typename Handler>
bool BlockWalker<Handler>::Walk() {
    while (Next()) {
        if (!IsBlockStart()) {
            handler_.Outside();
            continue;
        }
        if (line_.tag == ScriptTag::Question && declaring_) {
            declaring_ = false;
            if (!handler_.EndDeclaration()) return false;
        }
        if (!(line_.tag == ScriptTag::Question ? Question() : Block(line_.tag))) return false;
    }
    if (!declaring_) return true;
    declaring_ = false;
    return handler_.EndDeclaration();
}

// A block of keys: any but a QUESTION or an ANSWER.
template <typename Handler>
bool BlockWalker<Handler>::Block(ScriptTag block) {
    if (!handler_.Open(block)) return false;
    while (true) {
        if (!Next()) {
            if (!handler_.EndOfFile(block)) return false;
            break;
        }
        if (line_.IsEnd(block)) break;
        if (IsBlockStart()) {
            if (!handler_.Cut(block)) return false;
            held_ = true;
            break;
        }
        const Then then = KeyLine(block);
        if (then == Then::Stop) return false;
        if (then == Then::EndBlock) break;
    }
    return handler_.Close(block);
}

template <typename Handler>
bool BlockWalker<Handler>::Question() {
    const ScriptReader::Position start = reader_.Tell();
    if (!handler_.Open(ScriptTag::Question)) return false;
    while (true) {
        if (!QuestionLines()) return false;
        if (!handler_.CloseQuestion()) return true;
        reader_.Seek(start);
        held_ = false;
    }
}

// Tags are told apart before keys are looked for, as the window does.
template <typename Handler>
bool BlockWalker<Handler>::QuestionLines() {
    while (Next()) {
        if (line_.IsEnd(ScriptTag::Question)) return true;
        if (IsBlockStart()) {
            if (!handler_.Cut(ScriptTag::Question)) return false;
            held_ = true;
            return true;
        }
        const Then then =
            line_.IsStart(ScriptTag::Answer) ? Then::StartAnswer : KeyLine(ScriptTag::Question);
        if (then == Then::Stop) return false;
        if (then == Then::EndBlock) return true;
        if (then == Then::StartAnswer) {
            const Answered answered = Answer();
            if (answered != Answered::QuestionGoesOn) return answered == Answered::QuestionEnds;
        }
    }
    return handler_.EndOfFile(ScriptTag::Question);
}

// An ANSWER left open ends its QUESTION too, unless another ANSWER follows.
template <typename Handler>
typename BlockWalker<Handler>::Answered BlockWalker<Handler>::Answer() {
    if (!handler_.Open(ScriptTag::Answer)) return Answered::Stopped;
    Answered answered = Answered::QuestionGoesOn;
    while (true) {
        if (!Next()) {
            if (!handler_.EndOfFile(ScriptTag::Answer)) return Answered::Stopped;
            answered = Answered::QuestionEnds;
            break;
        }
        if (line_.IsEnd(ScriptTag::Answer)) break;
        const bool nested = line_.IsStart(ScriptTag::Answer);
        const bool questionEnds = line_.IsEnd(ScriptTag::Question);
        if (nested || questionEnds || IsBlockStart()) {
            if (!handler_.Cut(ScriptTag::Answer)) return Answered::Stopped;
            held_ = !questionEnds;
            if (!nested) answered = Answered::QuestionEnds;
            break;
        }
        const Then then = KeyLine(ScriptTag::Answer);
        if (then == Then::Stop) return Answered::Stopped;
        if (then == Then::EndBlock) break;
    }
    return handler_.Close(ScriptTag::Answer) ? answered : Answered::Stopped;
}

}  // namespace kinpath
