#include "engine/jetsql/Lexer.h"
#include "engine/Utf8.h"

#include <cctype>
#include <charconv>

#include "engine/NumberText.h"
#include "engine/values/DateReading.h"

namespace telvarn::jetsql {
namespace {

bool isNameStart(unsigned char c) {
  return std::isalpha(c) || c == '_' || c >= 0x80;
}
bool isNameChar(unsigned char c) {
  return isNameStart(c) || std::isdigit(c);
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

class Scanner {
 public:
  explicit Scanner(std::string_view sql) : sql_(sql) {}

  std::vector<Token> run() {
    // Room for a token in every other character, which few statements
    // exceed, so that a long statement's tokens are not copied as they grow.
    std::vector<Token> tokens;
    tokens.reserve(sql_.size() / 2 + 1);
    for (Token token = following(); token.kind != TokenKind::End; token = following()) {
      tokens.push_back(std::move(token));
    }
    tokens.push_back(following());
    return tokens;
  }

  // The token after the blanks ahead: End at the end of the text.
  Token following() {
    skipBlanks();
    if (pos_ < sql_.size()) return next();
    Token end;
    end.begin = end.end = sql_.size();
    return end;
  }

 private:
  void skipBlanks() {
    while (pos_ < sql_.size() && std::isspace(static_cast<unsigned char>(sql_[pos_]))) ++pos_;
  }

  Token make(TokenKind kind, size_t begin, std::string text) {
    Token token;
    token.kind = kind;
    token.text = std::move(text);
    token.begin = begin;
    token.end = pos_;
    return token;
  }

  Token next() {
    const size_t begin = pos_;
    const char c = sql_[pos_];
    if (isNameStart(static_cast<unsigned char>(c))) return name(begin);
    if (isDigit(c) ||
        (c == '.' && pos_ + 1 < sql_.size() && isDigit(sql_[pos_ + 1]) && !followsName()))
      return number(begin);
    if (c == '\'' || c == '"') return quoted(begin, c, TokenKind::String, "Syntax error in string");
    if (c == '[') return quoted(begin, ']', TokenKind::QuotedName, "Missing ), ], or Item");
    if (c == '`') return quoted(begin, '`', TokenKind::QuotedName, "Missing ), ], or Item");
    if (c == '#') return date(begin);
    return symbol(begin);
  }

  // "t.5" is a qualified name, not "t" followed by the number .5.
  bool followsName() const {
    if (pos_ == 0) return false;
    const unsigned char before = static_cast<unsigned char>(sql_[pos_ - 1]);
    return isNameChar(before) || before == ']' || before == '`' || before == ')';
  }

  Token name(size_t begin) {
    while (pos_ < sql_.size() && isNameChar(static_cast<unsigned char>(sql_[pos_]))) ++pos_;
    return make(TokenKind::Name, begin, std::string(sql_.substr(begin, pos_ - begin)));
  }

  void digits() {
    while (pos_ < sql_.size() && isDigit(sql_[pos_])) ++pos_;
  }

  Token number(size_t begin) {
    bool integral = true;
    digits();
    if (pos_ < sql_.size() && sql_[pos_] == '.') {
      integral = false;
      ++pos_;
      digits();
    }
    if (pos_ < sql_.size() && (sql_[pos_] == 'e' || sql_[pos_] == 'E')) {
      integral = false;
      ++pos_;
      if (pos_ < sql_.size() && (sql_[pos_] == '+' || sql_[pos_] == '-')) ++pos_;
      const size_t exponent = pos_;
      digits();
      if (pos_ == exponent) return badNumber(begin);
    }
    if (pos_ < sql_.size() && isNameChar(static_cast<unsigned char>(sql_[pos_])))
      return badNumber(begin);
    return numberToken(begin, integral);
  }

  Token badNumber(size_t begin) {
    while (pos_ < sql_.size() && isNameChar(static_cast<unsigned char>(sql_[pos_]))) ++pos_;
    return make(TokenKind::Invalid, begin, "Syntax error in number");
  }

  Token numberToken(size_t begin, bool integral) {
    Token token = make(TokenKind::Number, begin, std::string(sql_.substr(begin, pos_ - begin)));
    token.number = readDecimal(token.text).value_or(0);
    if (integral) {
      const auto [end, ec] =
          std::from_chars(token.text.data(), token.text.data() + token.text.size(), token.integer);
      token.integral = ec == std::errc() && end == token.text.data() + token.text.size();
    }
    return token;
  }

  // A delimited text in which the closing delimiter, doubled, stands for itself.
  Token quoted(size_t begin, char close, TokenKind kind, const char* unclosed) {
    std::string value;
    ++pos_;
    while (pos_ < sql_.size()) {
      const char c = sql_[pos_++];
      if (c != close) {
        value += c;
      } else if (kind == TokenKind::String && pos_ < sql_.size() && sql_[pos_] == close) {
        value += close;
        ++pos_;
      } else {
        return make(kind, begin, std::move(value));
      }
    }
    return make(TokenKind::Invalid, begin, unclosed);
  }

  Token date(size_t begin) {
    const size_t close = sql_.find('#', pos_ + 1);
    if (close == std::string_view::npos) {
      pos_ = sql_.size();
      return make(TokenKind::Invalid, begin, "Syntax error in date");
    }
    pos_ = close + 1;
    const std::string_view written = sql_.substr(begin + 1, close - begin - 1);
    const std::optional<double> day = values::readDate(written);
    if (!day) return make(TokenKind::Invalid, begin, "Syntax error in date");
    Token token = make(TokenKind::Date, begin, std::string(written));
    token.number = *day;
    return token;
  }

  Token symbol(size_t begin) {
    static constexpr std::string_view kPairs[] = {"<>", "<=", ">="};
    for (const auto pair : kPairs) {
      if (sql_.substr(pos_, 2) == pair) {
        pos_ += 2;
        return make(TokenKind::Symbol, begin, std::string(pair));
      }
    }
    ++pos_;
    return make(TokenKind::Symbol, begin, std::string(1, sql_[begin]));
  }

  std::string_view sql_;
  size_t pos_ = 0;
};

}  // namespace

bool Token::isWord(std::string_view word) const {
  return kind == TokenKind::Name && sameWord(text, word);
}

bool Token::startsOperand() const {
  switch (kind) {
    case TokenKind::Name:
    case TokenKind::QuotedName:
    case TokenKind::String:
    case TokenKind::Number:
    case TokenKind::Date:
      return true;
    case TokenKind::Symbol:
      return text == "(";
    default:
      return false;
  }
}

std::vector<Token> tokenize(std::string_view sql) {
  return Scanner(sql).run();
}

Token firstToken(std::string_view sql) {
  return Scanner(sql).following();
}

}  // namespace telvarn::jetsql
