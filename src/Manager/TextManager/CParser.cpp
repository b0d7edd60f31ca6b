#include "Manager/TextManager/CParser.h"

#include <stdexcept>

namespace VX3D {

bool CToken::feed(char c) {
    if (c == keyword_[matched_]) {
        ++matched_;
        return matched_ == keyword_.size();
    }
    matched_ = 0;
    return false;
}

void CParser::addToken(int id, const std::string& keyword) {
    if (keyword.empty()) {
        throw std::invalid_argument("CParser: an empty keyword cannot be registered (token id " +
                                    std::to_string(id) + ")");
    }
    tokens_.emplace_back(id, keyword);
}

void CParser::reset() {
    for (CToken& token : tokens_) {
        token.reset();
    }
}

int CParser::feed(char c) {
    for (auto token = tokens_.rbegin(); token != tokens_.rend(); ++token) {
        if (token->feed(c)) {
            reset();
            return token->id();
        }
    }
    return 0;
}

}  // namespace VX3D
