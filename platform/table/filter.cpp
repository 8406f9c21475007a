#include "platform/table/filter.h"

#include <vector>

#include "platform/core/exception.h"
#include "platform/core/fmt.h"
#include "platform/table/client_dataset.h"
#include "platform/table/value.h"

namespace {

using namespace table_value;

// Conditions are three-valued: a comparison with a null field is neither true
// nor false, so "not (Weight <= 68)" does not bring back the rows without a
// weight. A row passes only when its condition is true.
enum class TTri { False, True, Unknown };

TTri Not(TTri v) {
  switch (v) {
    case TTri::False:
      return TTri::True;
    case TTri::True:
      return TTri::False;
    default:
      return TTri::Unknown;
  }
}

TTri FromBool(bool b) {
  return b ? TTri::True : TTri::False;
}

// ---- Tokens ----

enum class TTokenKind { End, Name, QuotedName, Number, Text, LParen, RParen, Comma, Minus, Op };

struct TToken {
  TTokenKind Kind = TTokenKind::End;
  QString Text;
  int Pos = 0;
};

enum class TOp { Eq, Ne, Lt, Le, Gt, Ge };

// ---- Values of an operand for one row ----

class TSource {
 public:
  virtual ~TSource() = default;
  virtual TValue Get(const TRecordReader& reader, const TRecord& record) const = 0;
};

class TFieldSource final : public TSource {
 public:
  explicit TFieldSource(const TField& field) : FField(field) {}
  TValue Get(const TRecordReader& reader, const TRecord& record) const override {
    return reader.ValueIn(FField, record);
  }

 private:
  const TField& FField;
};

class TCaseSource final : public TSource {
 public:
  TCaseSource(std::unique_ptr<TSource> inner, bool upper) : FInner(std::move(inner)), FUpper(upper) {}
  TValue Get(const TRecordReader& reader, const TRecord& record) const override {
    const TValue v = FInner->Get(reader, record);
    if (!v.isValid()) {
      return v;
    }
    return FUpper ? TextOf(v).toUpper() : TextOf(v).toLower();
  }

 private:
  std::unique_ptr<TSource> FInner;
  bool FUpper;
};

// ---- Expression nodes ----

class TNode {
 public:
  virtual ~TNode() = default;
  virtual TTri Eval(const TRecordReader& reader, const TRecord& record) const = 0;
};

using TNodePtr = std::unique_ptr<TNode>;

class TConstNode final : public TNode {
 public:
  explicit TConstNode(TTri value) : FValue(value) {}
  TTri Eval(const TRecordReader&, const TRecord&) const override { return FValue; }

 private:
  TTri FValue;
};

class TAndNode final : public TNode {
 public:
  TAndNode(TNodePtr a, TNodePtr b) : FA(std::move(a)), FB(std::move(b)) {}
  TTri Eval(const TRecordReader& reader, const TRecord& record) const override {
    const TTri a = FA->Eval(reader, record);
    if (a == TTri::False) {
      return a;
    }
    const TTri b = FB->Eval(reader, record);
    if (b == TTri::False) {
      return b;
    }
    return a == TTri::True && b == TTri::True ? TTri::True : TTri::Unknown;
  }

 private:
  TNodePtr FA, FB;
};

class TOrNode final : public TNode {
 public:
  TOrNode(TNodePtr a, TNodePtr b) : FA(std::move(a)), FB(std::move(b)) {}
  TTri Eval(const TRecordReader& reader, const TRecord& record) const override {
    const TTri a = FA->Eval(reader, record);
    if (a == TTri::True) {
      return a;
    }
    const TTri b = FB->Eval(reader, record);
    if (b == TTri::True) {
      return b;
    }
    return a == TTri::False && b == TTri::False ? TTri::False : TTri::Unknown;
  }

 private:
  TNodePtr FA, FB;
};

class TNotNode final : public TNode {
 public:
  explicit TNotNode(TNodePtr a) : FA(std::move(a)) {}
  TTri Eval(const TRecordReader& reader, const TRecord& record) const override {
    return Not(FA->Eval(reader, record));
  }

 private:
  TNodePtr FA;
};

// The domain a comparison is made in once both sides are typed.
enum class TDomain { Text, Number, Boolean, Date };

double NumberOf(const TValue& v) {
  switch (v.metaType().id()) {
    case QMetaType::Int:
      return IntOf(v);
    case QMetaType::Bool:
      return BoolOf(v) ? 1 : 0;
    default:
      return FloatOf(v);
  }
}

int CompareIn(TDomain domain, const TValue& a, const TValue& b) {
  switch (domain) {
    case TDomain::Text:
      return CompareText(TextOf(a), TextOf(b));
    case TDomain::Number: {
      const double x = NumberOf(a);
      const double y = NumberOf(b);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case TDomain::Boolean:
      return int(BoolOf(a)) - int(BoolOf(b));
    case TDomain::Date: {
      const qint64 x = DateOf(a).toJulianDay();
      const qint64 y = DateOf(b).toJulianDay();
      return x < y ? -1 : (x > y ? 1 : 0);
    }
  }
  return 0;
}

bool EqualIn(TDomain domain, const TValue& a, const TValue& b) {
  // Texts are equal only when exactly equal; the ordering groups letter cases.
  if (domain == TDomain::Text) {
    return TextOf(a) == TextOf(b);
  }
  return CompareIn(domain, a, b) == 0;
}

bool Apply(TOp op, TDomain domain, const TValue& a, const TValue& b) {
  switch (op) {
    case TOp::Eq:
      return EqualIn(domain, a, b);
    case TOp::Ne:
      return !EqualIn(domain, a, b);
    case TOp::Lt:
      return CompareIn(domain, a, b) < 0;
    case TOp::Le:
      return CompareIn(domain, a, b) <= 0;
    case TOp::Gt:
      return CompareIn(domain, a, b) > 0;
    case TOp::Ge:
      return CompareIn(domain, a, b) >= 0;
  }
  return false;
}

class TCompareNode final : public TNode {
 public:
  TCompareNode(std::unique_ptr<TSource> a, TOp op, std::unique_ptr<TSource> b, TDomain domain)
      : FA(std::move(a)), FB(std::move(b)), FOp(op), FDomain(domain) {}
  TTri Eval(const TRecordReader& reader, const TRecord& record) const override {
    const TValue a = FA->Get(reader, record);
    if (!a.isValid()) {
      return TTri::Unknown;
    }
    const TValue b = FB->Get(reader, record);
    if (!b.isValid()) {
      return TTri::Unknown;
    }
    return FromBool(Apply(FOp, FDomain, a, b));
  }

 private:
  std::unique_ptr<TSource> FA, FB;
  TOp FOp;
  TDomain FDomain;
};

class TConstCompareNode final : public TNode {
 public:
  TConstCompareNode(std::unique_ptr<TSource> a, TOp op, TValue b, TDomain domain)
      : FA(std::move(a)), FB(std::move(b)), FOp(op), FDomain(domain) {}
  TTri Eval(const TRecordReader& reader, const TRecord& record) const override {
    const TValue a = FA->Get(reader, record);
    if (!a.isValid()) {
      return TTri::Unknown;
    }
    return FromBool(Apply(FOp, FDomain, a, FB));
  }

 private:
  std::unique_ptr<TSource> FA;
  TValue FB;
  TOp FOp;
  TDomain FDomain;
};

class TPrefixNode final : public TNode {
 public:
  TPrefixNode(std::unique_ptr<TSource> a, QString prefix, bool negate)
      : FA(std::move(a)), FPrefix(std::move(prefix)), FNegate(negate) {}
  TTri Eval(const TRecordReader& reader, const TRecord& record) const override {
    const TValue a = FA->Get(reader, record);
    if (!a.isValid()) {
      return TTri::Unknown;
    }
    return FromBool(TextOf(a).startsWith(FPrefix) != FNegate);
  }

 private:
  std::unique_ptr<TSource> FA;
  QString FPrefix;
  bool FNegate;
};

class TIsNullNode final : public TNode {
 public:
  TIsNullNode(std::unique_ptr<TSource> a, bool negate) : FA(std::move(a)), FNegate(negate) {}
  TTri Eval(const TRecordReader& reader, const TRecord& record) const override {
    return FromBool(FA->Get(reader, record).isValid() == FNegate);
  }

 private:
  std::unique_ptr<TSource> FA;
  bool FNegate;
};

class TInNode final : public TNode {
 public:
  TInNode(std::unique_ptr<TSource> a, std::vector<TValue> values, TDomain domain)
      : FA(std::move(a)), FValues(std::move(values)), FDomain(domain) {}
  TTri Eval(const TRecordReader& reader, const TRecord& record) const override {
    const TValue a = FA->Get(reader, record);
    if (!a.isValid()) {
      return TTri::Unknown;
    }
    for (const TValue& v : FValues) {
      if (EqualIn(FDomain, a, v)) {
        return TTri::True;
      }
    }
    return TTri::False;
  }

 private:
  std::unique_ptr<TSource> FA;
  std::vector<TValue> FValues;
  TDomain FDomain;
};

class TBoolFieldNode final : public TNode {
 public:
  explicit TBoolFieldNode(std::unique_ptr<TSource> a) : FA(std::move(a)) {}
  TTri Eval(const TRecordReader& reader, const TRecord& record) const override {
    const TValue a = FA->Get(reader, record);
    return a.isValid() ? FromBool(BoolOf(a)) : TTri::Unknown;
  }

 private:
  std::unique_ptr<TSource> FA;
};

// ---- An operand as parsed, before the comparison gives it its type ----

struct TOperand {
  enum class TKind { Typed, Number, Text, Boolean, Null } Kind = TKind::Null;
  std::unique_ptr<TSource> Source;         // Typed
  TFieldType Type = TFieldType::ftString;  // Typed
  QString Text;                            // Number (as written), Text
  double Number = 0;                       // Number
  bool Boolean = false;                    // Boolean
};

TDomain DomainOf(TFieldType type) {
  switch (type) {
    case TFieldType::ftString:
      return TDomain::Text;
    case TFieldType::ftInteger:
    case TFieldType::ftFloat:
      return TDomain::Number;
    case TFieldType::ftBoolean:
      return TDomain::Boolean;
    case TFieldType::ftDate:
      return TDomain::Date;
  }
  return TDomain::Text;
}

TOp Flipped(TOp op) {
  switch (op) {
    case TOp::Lt:
      return TOp::Gt;
    case TOp::Le:
      return TOp::Ge;
    case TOp::Gt:
      return TOp::Lt;
    case TOp::Ge:
      return TOp::Le;
    default:
      return op;
  }
}

class TCompiledFilter final : public TFilterExpr {
 public:
  explicit TCompiledFilter(TNodePtr root) : FRoot(std::move(root)) {}
  bool Matches(const TRecordReader& reader, const TRecord& record) const override {
    return FRoot->Eval(reader, record) == TTri::True;
  }

 private:
  TNodePtr FRoot;
};

class TParser {
 public:
  TParser(const QString& text, const TClientDataSet& table) : FText(text), FTable(table) {}

  TNodePtr Parse() {
    Tokenize();
    TNodePtr root = ParseOr();
    if (Peek().Kind != TTokenKind::End) {
      SyntaxError(Peek());
    }
    return root;
  }

 private:
  static constexpr int kMaxDepth = 64;

  [[noreturn]] void Fail(const QString& message) const {
    throw EDatabaseError(FTable.Name() + QStringLiteral(": ") + message);
  }
  [[noreturn]] void SyntaxError(const TToken& at) const {
    Fail(Fmt(QStringLiteral("Syntax error in filter expression at position %d"),
             {QString::number(at.Pos + 1)}));
  }
  [[noreturn]] void TypeMismatch() const { Fail(QStringLiteral("Type mismatch in expression")); }

  static bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }
  static bool IsNameStart(QChar c) { return c.isLetter() || c == u'_'; }
  static bool IsNamePart(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

  void Tokenize() {
    const qsizetype n = FText.size();
    qsizetype i = 0;
    while (i < n) {
      const QChar c = FText[i];
      const int pos = int(i);
      if (c.isSpace()) {
        ++i;
      } else if (IsNameStart(c)) {
        const qsizetype start = i;
        while (i < n && IsNamePart(FText[i])) {
          ++i;
        }
        FTokens.push_back({TTokenKind::Name, FText.mid(start, i - start), pos});
      } else if (IsDigit(c) || (c == u'.' && i + 1 < n && IsDigit(FText[i + 1]))) {
        const qsizetype start = i;
        while (i < n && IsDigit(FText[i])) {
          ++i;
        }
        if (i < n && FText[i] == u'.') {
          ++i;
          while (i < n && IsDigit(FText[i])) {
            ++i;
          }
        }
        if (i < n && (FText[i] == u'e' || FText[i] == u'E')) {
          qsizetype j = i + 1;
          if (j < n && (FText[j] == u'+' || FText[j] == u'-')) {
            ++j;
          }
          if (j < n && IsDigit(FText[j])) {
            i = j;
            while (i < n && IsDigit(FText[i])) {
              ++i;
            }
          }
        }
        FTokens.push_back({TTokenKind::Number, FText.mid(start, i - start), pos});
      } else if (c == u'\'') {
        // A doubled apostrophe inside a literal is one apostrophe: 'O''Brien'.
        QString text;
        ++i;
        for (;;) {
          if (i >= n) {
            Fail(QStringLiteral("Unterminated text literal in filter expression"));
          }
          if (FText[i] == u'\'') {
            if (i + 1 < n && FText[i + 1] == u'\'') {
              text += u'\'';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          text += FText[i++];
        }
        FTokens.push_back({TTokenKind::Text, text, pos});
      } else if (c == u'"' || c == u'[') {
        const QChar close = c == u'"' ? u'"' : u']';
        const qsizetype end = FText.indexOf(close, i + 1);
        if (end < 0) {
          Fail(QStringLiteral("Unterminated field name in filter expression"));
        }
        FTokens.push_back({TTokenKind::QuotedName, FText.mid(i + 1, end - i - 1), pos});
        i = end + 1;
      } else if (c == u'(') {
        FTokens.push_back({TTokenKind::LParen, c, pos});
        ++i;
      } else if (c == u')') {
        FTokens.push_back({TTokenKind::RParen, c, pos});
        ++i;
      } else if (c == u',') {
        FTokens.push_back({TTokenKind::Comma, c, pos});
        ++i;
      } else if (c == u'-') {
        FTokens.push_back({TTokenKind::Minus, c, pos});
        ++i;
      } else if (c == u'=' || c == u'<' || c == u'>') {
        QString op = c;
        ++i;
        if (i < n &&
            ((c == u'<' && (FText[i] == u'=' || FText[i] == u'>')) || (c == u'>' && FText[i] == u'='))) {
          op += FText[i++];
        }
        FTokens.push_back({TTokenKind::Op, op, pos});
      } else {
        // A surrogate pair is one character of the message.
        QString shown = c;
        if (c.isHighSurrogate() && i + 1 < n && FText[i + 1].isLowSurrogate()) {
          shown += FText[i + 1];
        }
        Fail(Fmt(QStringLiteral("Invalid filter expression character: '%s'"), {shown}));
      }
    }
    FTokens.push_back({TTokenKind::End, QString(), int(n)});
  }

  const TToken& Peek(size_t ahead = 0) const {
    const size_t i = std::min(FNext + ahead, FTokens.size() - 1);
    return FTokens[i];
  }
  const TToken& Take() {
    const TToken& t = Peek();
    if (FNext < FTokens.size() - 1) {
      ++FNext;
    }
    return t;
  }
  bool IsKeyword(const TToken& t, const char* word) const {
    return t.Kind == TTokenKind::Name && t.Text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
  }
  void Expect(TTokenKind kind) {
    if (Peek().Kind != kind) {
      SyntaxError(Peek());
    }
    Take();
  }

  struct TDepth {
    TParser& P;
    explicit TDepth(TParser& p) : P(p) {
      if (++P.FDepth > kMaxDepth) {
        P.Fail(QStringLiteral("Filter expression is nested too deeply"));
      }
    }
    ~TDepth() { --P.FDepth; }
  };

  TNodePtr ParseOr() {
    TDepth depth(*this);
    TNodePtr left = ParseAnd();
    while (IsKeyword(Peek(), "or")) {
      Take();
      left = std::make_unique<TOrNode>(std::move(left), ParseAnd());
    }
    return left;
  }

  TNodePtr ParseAnd() {
    TNodePtr left = ParseNot();
    while (IsKeyword(Peek(), "and")) {
      Take();
      left = std::make_unique<TAndNode>(std::move(left), ParseNot());
    }
    return left;
  }

  TNodePtr ParseNot() {
    TDepth depth(*this);
    if (IsKeyword(Peek(), "not")) {
      Take();
      return std::make_unique<TNotNode>(ParseNot());
    }
    return ParsePredicate();
  }

  TNodePtr ParsePredicate() {
    if (Peek().Kind == TTokenKind::LParen) {
      Take();
      TNodePtr inner = ParseOr();
      Expect(TTokenKind::RParen);
      return inner;
    }
    TOperand left = ParseOperand();
    const TToken& next = Peek();
    if (next.Kind == TTokenKind::Op) {
      const QString op = Take().Text;
      TOperand right = ParseOperand();
      return Comparison(std::move(left), OpOf(op), std::move(right));
    }
    if (IsKeyword(next, "is")) {
      Take();
      bool negate = false;
      if (IsKeyword(Peek(), "not")) {
        Take();
        negate = true;
      }
      if (!IsKeyword(Peek(), "null")) {
        SyntaxError(Peek());
      }
      Take();
      return NullTest(std::move(left), negate);
    }
    if (IsKeyword(next, "in") || (IsKeyword(next, "not") && IsKeyword(Peek(1), "in"))) {
      const bool negate = IsKeyword(Take(), "not");
      if (negate) {
        Take();
      }
      TNodePtr in = InList(std::move(left));
      return negate ? std::make_unique<TNotNode>(std::move(in)) : std::move(in);
    }
    // A condition on its own: a Boolean field or literal.
    if (left.Kind == TOperand::TKind::Typed && left.Type == TFieldType::ftBoolean) {
      return std::make_unique<TBoolFieldNode>(std::move(left.Source));
    }
    if (left.Kind == TOperand::TKind::Boolean) {
      return std::make_unique<TConstNode>(FromBool(left.Boolean));
    }
    TypeMismatch();
  }

  static TOp OpOf(const QString& op) {
    if (op == u"=")
      return TOp::Eq;
    if (op == u"<>")
      return TOp::Ne;
    if (op == u"<")
      return TOp::Lt;
    if (op == u"<=")
      return TOp::Le;
    if (op == u">")
      return TOp::Gt;
    return TOp::Ge;
  }

  TOperand FieldOperand(const QString& name) {
    const TField* field = FTable.FindField(name);
    if (!field) {
      Fail(Fmt(QStringLiteral("Field '%s' not found"), {name}));
    }
    TOperand o;
    o.Kind = TOperand::TKind::Typed;
    o.Source = std::make_unique<TFieldSource>(*field);
    o.Type = field->IsLookup() ? TFieldType::ftString : field->DataType();
    return o;
  }

  TOperand ParseOperand() {
    TDepth depth(*this);
    const TToken& t = Take();
    TOperand o;
    switch (t.Kind) {
      case TTokenKind::QuotedName:
        return FieldOperand(t.Text);
      case TTokenKind::Name: {
        const bool upper = IsKeyword(t, "upper");
        if ((upper || IsKeyword(t, "lower")) && Peek().Kind == TTokenKind::LParen) {
          Take();
          TOperand inner = ParseOperand();
          Expect(TTokenKind::RParen);
          if (inner.Kind == TOperand::TKind::Text) {
            inner.Text = upper ? inner.Text.toUpper() : inner.Text.toLower();
            return inner;
          }
          if (inner.Kind != TOperand::TKind::Typed || inner.Type != TFieldType::ftString) {
            TypeMismatch();
          }
          inner.Source = std::make_unique<TCaseSource>(std::move(inner.Source), upper);
          return inner;
        }
        if (IsKeyword(t, "null")) {
          return o;
        }
        if ((IsKeyword(t, "true") || IsKeyword(t, "false")) && !FTable.FindField(t.Text)) {
          o.Kind = TOperand::TKind::Boolean;
          o.Boolean = IsKeyword(t, "true");
          return o;
        }
        return FieldOperand(t.Text);
      }
      case TTokenKind::Number:
        o.Kind = TOperand::TKind::Number;
        o.Text = t.Text;
        o.Number = t.Text.toDouble();
        return o;
      case TTokenKind::Minus:
        if (Peek().Kind != TTokenKind::Number) {
          SyntaxError(Peek());
        }
        o.Kind = TOperand::TKind::Number;
        o.Text = QStringLiteral("-") + Take().Text;
        o.Number = o.Text.toDouble();
        return o;
      case TTokenKind::Text:
        o.Kind = TOperand::TKind::Text;
        o.Text = t.Text;
        return o;
      default:
        SyntaxError(t);
    }
  }

  // A literal read as a value of the type it is compared with.
  TValue LiteralAs(const TOperand& literal, TFieldType type) const {
    TValue v;
    switch (literal.Kind) {
      case TOperand::TKind::Number:
        switch (type) {
          case TFieldType::ftString:
            return literal.Text;
          case TFieldType::ftInteger:
          case TFieldType::ftFloat:
            return literal.Number;
          case TFieldType::ftBoolean:
            // "Snatch<>0": the number 0 stands for false.
            return literal.Number != 0;
          case TFieldType::ftDate:
            TypeMismatch();
        }
        break;
      case TOperand::TKind::Text:
        if (type == TFieldType::ftString) {
          return literal.Text;
        }
        if (literal.Text.isEmpty() ||
            !Convert(type == TFieldType::ftInteger ? TFieldType::ftFloat : type, TValue(literal.Text), v)) {
          TypeMismatch();
        }
        return v;
      case TOperand::TKind::Boolean:
        if (type == TFieldType::ftBoolean) {
          return literal.Boolean;
        }
        if (type == TFieldType::ftString) {
          return FormatBoolean(literal.Boolean);
        }
        TypeMismatch();
      default:
        break;
    }
    TypeMismatch();
  }

  TNodePtr NullTest(TOperand operand, bool negate) {
    if (operand.Kind == TOperand::TKind::Typed) {
      return std::make_unique<TIsNullNode>(std::move(operand.Source), negate);
    }
    return std::make_unique<TConstNode>(FromBool((operand.Kind == TOperand::TKind::Null) != negate));
  }

  TNodePtr Comparison(TOperand left, TOp op, TOperand right) {
    using K = TOperand::TKind;
    if (left.Kind == K::Null || right.Kind == K::Null) {
      TOperand& other = left.Kind == K::Null ? right : left;
      if (op == TOp::Eq || op == TOp::Ne) {
        return NullTest(std::move(other), op == TOp::Ne);
      }
      return std::make_unique<TConstNode>(TTri::Unknown);
    }
    if (left.Kind != K::Typed && right.Kind == K::Typed) {
      std::swap(left, right);
      op = Flipped(op);
    }
    if (left.Kind == K::Typed && right.Kind == K::Typed) {
      const TDomain a = DomainOf(left.Type);
      const TDomain b = DomainOf(right.Type);
      if (a != b) {
        TypeMismatch();
      }
      return std::make_unique<TCompareNode>(std::move(left.Source), op, std::move(right.Source), a);
    }
    if (left.Kind == K::Typed) {
      // Empty texts are kept as null, so comparing with '' asks for null.
      if (left.Type == TFieldType::ftString && right.Kind == K::Text && right.Text.isEmpty() &&
          (op == TOp::Eq || op == TOp::Ne)) {
        return std::make_unique<TIsNullNode>(std::move(left.Source), op == TOp::Ne);
      }
      // "Name = 'Ив*'": every text that begins with the part before the asterisk.
      if (left.Type == TFieldType::ftString && right.Kind == K::Text && right.Text.endsWith(u'*') &&
          (op == TOp::Eq || op == TOp::Ne)) {
        return std::make_unique<TPrefixNode>(std::move(left.Source), right.Text.chopped(1), op == TOp::Ne);
      }
      return std::make_unique<TConstCompareNode>(std::move(left.Source), op, LiteralAs(right, left.Type),
                                                 DomainOf(left.Type));
    }
    // Two literals: decided once, here.
    if (left.Kind == K::Number && right.Kind == K::Number) {
      return std::make_unique<TConstNode>(
          FromBool(Apply(op, TDomain::Number, TValue(left.Number), TValue(right.Number))));
    }
    if (left.Kind == K::Text && right.Kind == K::Text) {
      return std::make_unique<TConstNode>(
          FromBool(Apply(op, TDomain::Text, TValue(left.Text), TValue(right.Text))));
    }
    if (left.Kind == K::Boolean && right.Kind == K::Boolean) {
      return std::make_unique<TConstNode>(
          FromBool(Apply(op, TDomain::Boolean, TValue(left.Boolean), TValue(right.Boolean))));
    }
    TypeMismatch();
  }

  TNodePtr InList(TOperand operand) {
    Expect(TTokenKind::LParen);
    std::vector<TOperand> items;
    for (;;) {
      TOperand item = ParseOperand();
      if (item.Kind == TOperand::TKind::Typed) {
        TypeMismatch();
      }
      items.push_back(std::move(item));
      if (Peek().Kind == TTokenKind::Comma) {
        Take();
        continue;
      }
      Expect(TTokenKind::RParen);
      break;
    }
    if (operand.Kind != TOperand::TKind::Typed) {
      // A literal on the left: compare it with each item as two literals.
      TNodePtr any = std::make_unique<TConstNode>(TTri::False);
      for (TOperand& item : items) {
        TOperand copy;
        copy.Kind = operand.Kind;
        copy.Text = operand.Text;
        copy.Number = operand.Number;
        copy.Boolean = operand.Boolean;
        any =
            std::make_unique<TOrNode>(std::move(any), Comparison(std::move(copy), TOp::Eq, std::move(item)));
      }
      return any;
    }
    std::vector<TValue> values;
    for (const TOperand& item : items) {
      if (item.Kind != TOperand::TKind::Null) {
        values.push_back(LiteralAs(item, operand.Type));
      }
    }
    return std::make_unique<TInNode>(std::move(operand.Source), std::move(values), DomainOf(operand.Type));
  }

  const QString& FText;
  const TClientDataSet& FTable;
  std::vector<TToken> FTokens;
  size_t FNext = 0;
  int FDepth = 0;
};

}  // namespace

std::unique_ptr<TFilterExpr> TFilterExpr::Compile(const QString& text, const TClientDataSet& table) {
  TParser parser(text, table);
  return std::make_unique<TCompiledFilter>(parser.Parse());
}
