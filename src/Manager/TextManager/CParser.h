#pragma once
// A keyword spotter for text fed one character at a time, as the font descriptor reader uses
// it: each token counts how many characters of its keyword it has matched so far; the first
// token (checked from the last registered to the first) whose keyword completes wins, every
// count starts again at 0, and its id is returned.
#include <cstddef>
#include <string>
#include <vector>

namespace VX3D {

class CToken {
public:
    CToken(int id, std::string keyword) : id_(id), keyword_(std::move(keyword)) {}

    int id() const { return id_; }
    const std::string& keyword() const { return keyword_; }
    std::size_t matched() const { return matched_; }

    // Advances on the next character of the keyword, else starts again at 0. True when the
    // keyword is complete.
    bool feed(char c);
    void reset() { matched_ = 0; }

private:
    int id_;
    std::string keyword_;
    std::size_t matched_ = 0;
};

class CParser {
public:
    // Registers a keyword under an id (a non-zero number); an empty keyword is refused with
    // std::invalid_argument.
    void addToken(int id, const std::string& keyword);
    // Sets every token's match count to 0.
    void reset();
    // The id of the token whose keyword this character completes, else 0.
    int feed(char c);

    const std::vector<CToken>& tokens() const { return tokens_; }

private:
    std::vector<CToken> tokens_;
};

}  // namespace VX3D
