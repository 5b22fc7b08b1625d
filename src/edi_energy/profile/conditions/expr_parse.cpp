// Two phases: the text becomes a token list, then a recursive descent over the tokens builds
// the tree. Operators have no precedence over one another and chain strictly from the left.
#include <algorithm>
#include <optional>
#include <utility>

#include "edi_energy/profile/conditions/expr.hpp"
#include "edi_energy/profile/unicode_text.hpp"

namespace edi_energy::profile::conditions {
namespace {

namespace ut = unicode_text;

struct Tok {
  enum class Kind : std::uint8_t { And, Or, Xor, Open, Close, Ref };
  Kind kind;
  std::string_view text;  // Ref
};

std::expected<std::vector<Tok>, ExprError> tokenize(std::string_view text) {
  std::vector<Tok> tokens;
  std::size_t offset = 0;
  while (offset < text.size()) {
    const ut::Char c = ut::char_at(text, offset);
    switch (c.scalar) {
      case U'(': tokens.push_back({Tok::Kind::Open, {}}); break;
      case U')': tokens.push_back({Tok::Kind::Close, {}}); break;
      case U'\u2227': tokens.push_back({Tok::Kind::And, {}}); break;
      case U'\u2228': tokens.push_back({Tok::Kind::Or, {}}); break;
      case U'\u22BB': tokens.push_back({Tok::Kind::Xor, {}}); break;
      case U'[': {
        const std::size_t close = text.find(']', offset + 1);
        if (close == std::string_view::npos) return std::unexpected(ExprError{ExprError::Kind::UnterminatedRef});
        const std::string_view inner = text.substr(offset + 1, close - offset - 1);
        if (ut::trim_white(inner).empty()) return std::unexpected(ExprError{ExprError::Kind::EmptyRef});
        tokens.push_back({Tok::Kind::Ref, inner});
        offset = close + 1;
        continue;
      }
      default:
        if (!ut::is_white_space(c.scalar)) {
          return std::unexpected(ExprError{ExprError::Kind::UnexpectedChar, c.scalar});
        }
    }
    offset += c.length;
  }
  if (tokens.empty()) return std::unexpected(ExprError{ExprError::Kind::Empty});
  return tokens;
}

// A subtree with its height, which must stay within `max_expr_depth`.
struct Built {
  Expr expr;
  std::size_t height;
};

using BuildResult = std::expected<Built, ExprError>;

class Parser {
 public:
  explicit Parser(const std::vector<Tok>& tokens) : tokens_(tokens) {}

  std::expected<Expr, ExprError> parse() {
    BuildResult chain = parse_chain(0);
    if (!chain) return std::unexpected(chain.error());
    if (cursor_ != tokens_.size()) return std::unexpected(ExprError{ExprError::Kind::UnbalancedParen});
    return std::move(chain->expr);
  }

 private:
  static std::optional<Expr::Kind> operator_kind(const Tok& token) {
    switch (token.kind) {
      case Tok::Kind::And: return Expr::Kind::And;
      case Tok::Kind::Or: return Expr::Kind::Or;
      case Tok::Kind::Xor: return Expr::Kind::Xor;
      default: return std::nullopt;
    }
  }

  static std::expected<void, ExprError> within_depth(std::size_t depth) {
    if (depth > max_expr_depth) return std::unexpected(ExprError{ExprError::Kind::TooDeep});
    return {};
  }

  bool at_end() const { return cursor_ >= tokens_.size(); }

  BuildResult parse_chain(std::size_t nesting) {
    BuildResult left = parse_juxtaposition(nesting);
    if (!left) return left;
    while (!at_end()) {
      const std::optional<Expr::Kind> op = operator_kind(tokens_[cursor_]);
      if (!op) break;
      ++cursor_;
      BuildResult right = parse_juxtaposition(nesting);
      if (!right) return right;
      if (left->expr.kind == *op) {
        left->height = std::max(left->height, right->height + 1);
        left->expr.children.push_back(std::move(right->expr));
      } else {
        std::vector<Expr> children;
        children.push_back(std::move(left->expr));
        children.push_back(std::move(right->expr));
        left->height = std::max(left->height, right->height) + 1;
        left->expr = Expr::node(*op, std::move(children));
      }
      if (auto ok = within_depth(left->height); !ok) return std::unexpected(ok.error());
    }
    return left;
  }

  BuildResult parse_juxtaposition(std::size_t nesting) {
    BuildResult first = parse_atom(nesting);
    if (!first) return first;
    if (at_end() || (tokens_[cursor_].kind != Tok::Kind::Ref && tokens_[cursor_].kind != Tok::Kind::Open)) {
      return first;
    }
    std::size_t height = first->height;
    std::vector<Expr> atoms;
    atoms.push_back(std::move(first->expr));
    while (!at_end() && (tokens_[cursor_].kind == Tok::Kind::Ref || tokens_[cursor_].kind == Tok::Kind::Open)) {
      BuildResult atom = parse_atom(nesting);
      if (!atom) return atom;
      height = std::max(height, atom->height);
      atoms.push_back(std::move(atom->expr));
    }
    if (auto ok = within_depth(height + 1); !ok) return std::unexpected(ok.error());
    return Built{Expr::node(Expr::Kind::Juxt, std::move(atoms)), height + 1};
  }

  BuildResult parse_atom(std::size_t nesting) {
    if (at_end()) return std::unexpected(ExprError{ExprError::Kind::ExpectedOperand});
    const Tok& token = tokens_[cursor_];
    if (token.kind == Tok::Kind::Ref) {
      ++cursor_;
      return Built{Expr::ref(std::string(token.text)), 1};
    }
    if (token.kind != Tok::Kind::Open) return std::unexpected(ExprError{ExprError::Kind::ExpectedOperand});
    if (auto ok = within_depth(nesting + 1); !ok) return std::unexpected(ok.error());
    ++cursor_;
    BuildResult inner = parse_chain(nesting + 1);
    if (!inner) return inner;
    if (at_end() || tokens_[cursor_].kind != Tok::Kind::Close) {
      return std::unexpected(ExprError{ExprError::Kind::UnbalancedParen});
    }
    ++cursor_;
    return inner;
  }

  const std::vector<Tok>& tokens_;
  std::size_t cursor_ = 0;
};

}  // namespace

std::expected<Expr, ExprError> Expr::parse(std::string_view text) {
  auto tokens = tokenize(text);
  if (!tokens) return std::unexpected(tokens.error());
  return Parser(*tokens).parse();
}

}  // namespace edi_energy::profile::conditions
