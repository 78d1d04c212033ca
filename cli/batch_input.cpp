#include "cli/batch_input.h"

#include <utility>

#include "cli/text_bridge.h"
#include "encoding/code_page.h"

namespace {

enum class Quote { None, Single, Double };

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

LineWords SplitWords(std::string_view line, TCodePage codePage) {
    LineWords result;
    std::string word;
    bool inWord = false;
    Quote quote = Quote::None;
    const auto next = [&](std::size_t at) { return line.substr(at, CharacterLength(line, at, codePage)); };
    for (std::size_t at = 0; at < line.size();) {
        const std::string_view character = next(at);
        at += character.size();
        const char c = character.size() == 1 ? character[0] : '\0';
        if (character.size() > 1) {
            word += character;
            inWord = true;
        } else if (quote == Quote::Single) {
            if (c == '\'')
                quote = Quote::None;
            else
                word += c;
        } else if (quote == Quote::Double) {
            if (c == '"') {
                quote = Quote::None;
            } else if (c == '\\' && at < line.size() && (line[at] == '"' || line[at] == '\\')) {
                word += line[at++];
            } else {
                word += c;
            }
        } else if (IsBlank(c)) {
            if (inWord) result.words.push_back(std::exchange(word, {}));
            inWord = false;
        } else {
            inWord = true;
            if (c == '\'') {
                quote = Quote::Single;
            } else if (c == '"') {
                quote = Quote::Double;
            } else if (c == '\\') {
                if (at == line.size()) return LineWords{{}, "a backslash ends the line"};
                const std::string_view escaped = next(at);
                word += escaped;
                at += escaped.size();
            } else {
                word += character;
            }
        }
    }
    if (quote != Quote::None) return LineWords{{}, "a quote is left open"};
    if (inWord) result.words.push_back(std::move(word));
    return result;
}

BatchInput ReadBatch(std::istream& in, TCodePage codePage, bool raw) {
    BatchInput batch;
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        if (line.ends_with('\r')) line.pop_back();
        const auto fail = [&](const std::string& problem) {
            return BatchInput{{}, "line " + std::to_string(number) + ": " + problem};
        };
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        LineWords split = SplitWords(line, codePage);
        if (!split.error.empty()) return fail(split.error);
        std::vector<std::string>& words = split.words;
        const std::optional<Command> command = CommandNamed(words[0]);
        if (!command || !Writes(*command) || *command == Command::Batch)
            return fail("'" + words[0] + "' is not set, del or rename");
        if (std::string problem = WordCountProblem(*command, words.size() - 1); !problem.empty()) return fail(problem);
        words.erase(words.begin());
        for (const std::string& word : words)
            if (std::string invalid = raw ? std::string() : InvalidTyped(word, codePage); !invalid.empty()) return fail(invalid);
        batch.operations.push_back(Operation{*command, std::move(words), number});
    }
    return batch;
}
