// The question script as a tree of blocks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "script/PointSlot.h"

namespace kinpath {

// A script text: absent when the script gave no value or an empty one. Bytes as
// read from the script; never empty when present.
using ScriptText = std::optional<std::string>;

class ScriptBlock {
public:
    // A block made with a parent borrows the parent's file handle.
    explicit ScriptBlock(ScriptBlock* parent);
    virtual ~ScriptBlock();
    ScriptBlock(const ScriptBlock&) = delete;
    ScriptBlock& operator=(const ScriptBlock&) = delete;

    // 1 at the block's end tag, -1 on failure (the document: 0 at end of file).
    virtual std::int32_t Parse(const char* tagName) = 0;

    std::FILE* file = nullptr;  // owned by the document only
};

class SettingsBlock : public ScriptBlock {
public:
    using ScriptBlock::ScriptBlock;
    std::int32_t Parse(const char* tagName) override;

    std::int32_t Preference = 1;  // 1 class over race, 0 race over class
};

class FinalBlock : public ScriptBlock {
public:
    using ScriptBlock::ScriptBlock;
    std::int32_t Parse(const char* tagName) override;

    std::int32_t RecapMode = 0;  // 0 yes, 1 no, 2 ask
};

class AnswerBlock : public ScriptBlock {
public:
    using ScriptBlock::ScriptBlock;
    // Scripts may hold many thousands of blocks: they come from a pool of their
    // own (see ScriptDocument.cpp).
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;

    std::int32_t Parse(const char* tagName) override;

    void SetType(const char* value);
    void SetExplanation(const char* value);
    // A non-empty value sets the slot to its decimal number (atoi rules, clamped
    // to the 32-bit range); an empty one leaves it.
    void SetPoint(const char* value, PointSlot slot);

    PointValues points{};
    ScriptText type;
    ScriptText explanation;
};

class QuestionBlock : public ScriptBlock {
public:
    using ScriptBlock::ScriptBlock;
    // Scripts may hold many thousands of blocks: they come from a pool of their
    // own (see ScriptDocument.cpp).
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;

    ~QuestionBlock() override;
    std::int32_t Parse(const char* tagName) override;

    void SetType(const char* value);
    void SetName(const char* value);
    void AddChoiceText(const char* value);
    void AddAnswer(std::unique_ptr<AnswerBlock> answer);

    std::vector<std::unique_ptr<AnswerBlock>> answers;
    std::vector<std::string> choices;  // each non-empty
    ScriptText type;
    ScriptText name;
    std::size_t answerCursor = 0;  // used while the answer of a choice is looked for
    std::size_t choiceCursor = 0;  // used while the choice buttons are filled
};

class ScriptDocument : public ScriptBlock {
public:
    ScriptDocument();
    ~ScriptDocument() override;
    std::int32_t Parse(const char* tagName) override;

    void SetSettings(std::unique_ptr<SettingsBlock> block);
    void SetFinal(std::unique_ptr<FinalBlock> block);
    void AddQuestion(std::unique_ptr<QuestionBlock> block);
    // Destroys every block and closes the file, as at process exit, leaving an
    // empty document ready for another OpenScript.
    void Clear();

    std::unique_ptr<SettingsBlock> settings;
    std::unique_ptr<FinalBlock> final;
    std::vector<std::unique_ptr<QuestionBlock>> questions;
};

// Sets the ScriptText rule: a non-empty value is copied, an empty or null one
// leaves the text absent.
void AssignScriptText(ScriptText& text, const char* value);

// The program's one document and the answers chosen, in answering order (the
// blocks stay owned by their questions).
extern ScriptDocument TheScriptDocument;
extern std::vector<const AnswerBlock*> AnsweredList;

}  // namespace kinpath
