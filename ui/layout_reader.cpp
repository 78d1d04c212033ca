#include "ui/layout_reader.h"

#include <QFile>

#include <cctype>
#include <map>

#include "ui/component.h"
#include "ui/component_registry.h"

namespace {

std::map<std::string, std::string, std::less<>>& RegisteredLayouts() {
    static std::map<std::string, std::string, std::less<>> layouts;
    return layouts;
}

// Splits a layout text into tokens: names, numbers, texts and single punctuation marks.
class Tokenizer {
public:
    enum class Type { Name, Number, Text, Punct, End };
    struct Token {
        Type type = Type::End;
        std::string text;
        int line = 0;
    };

    explicit Tokenizer(std::string_view text) : text_(text) { Advance(); }

    const Token& Peek() const { return current_; }
    Token Take() {
        Token t = current_;
        Advance();
        return t;
    }
    bool TakeIf(char punct) {
        if (current_.type != Type::Punct || current_.text[0] != punct) return false;
        Advance();
        return true;
    }
    void Expect(char punct) {
        if (!TakeIf(punct)) Fail(std::string("'") + punct + "' expected");
    }
    [[noreturn]] void Fail(const std::string& what) const {
        throw ELayoutError("Layout error in line " + std::to_string(current_.line) + ": " + what);
    }

private:
    void SkipBlanksAndComments() {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') ++line_;
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
            } else if (text_.substr(pos_, 2) == "//") {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else {
                break;
            }
        }
    }

    void Advance() {
        SkipBlanksAndComments();
        current_ = Token{Type::End, "", line_};
        if (pos_ >= text_.size()) return;
        char c = text_[pos_];
        auto isNameChar = [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_'; };
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t start = pos_;
            while (pos_ < text_.size() && isNameChar(text_[pos_])) ++pos_;
            current_ = Token{Type::Name, std::string(text_.substr(start, pos_ - start)), line_};
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') {
            size_t start = pos_++;
            while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
            current_ = Token{Type::Number, std::string(text_.substr(start, pos_ - start)), line_};
        } else if (c == '"') {
            current_ = Token{Type::Text, ReadText(), line_};
        } else {
            current_ = Token{Type::Punct, std::string(1, c), line_};
            ++pos_;
        }
    }

    std::string ReadText() {
        std::string out;
        for (++pos_; pos_ < text_.size() && text_[pos_] != '"'; ++pos_) {
            if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) ++pos_;
            out += text_[pos_];
        }
        if (pos_ >= text_.size()) throw ELayoutError("Layout error: unterminated text");
        ++pos_;
        return out;
    }

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
    Token current_;
};

long long ParseNumber(const std::string& text) {
    bool negative = text[0] == '-';
    std::string digits = negative ? text.substr(1) : text;
    long long n = digits.rfind("0x", 0) == 0 ? std::stoll(digits.substr(2), nullptr, 16) : std::stoll(digits);
    return negative ? -n : n;
}

}  // namespace

// Reads blocks and applies them as it goes, so that properties take effect in file order.
class LayoutApplier {
public:
    LayoutApplier(LayoutReader& reader, std::string_view text) : reader_(reader), tokens_(text) {}

    void ApplyRoot(std::string_view expectedClass) {
        auto [name, className] = ReadBlockHeader();
        if (className != expectedClass)
            tokens_.Fail("layout of " + className + " where " + std::string(expectedClass) + " was expected");
        TComponent& root = reader_.root_;
        root.SetName(name);
        ApplyBlockBody(root);
        if (tokens_.Peek().type != Tokenizer::Type::End) tokens_.Fail("text after the window's block");
    }

private:
    std::pair<std::string, std::string> ReadBlockHeader() {
        std::string name = ExpectName();
        tokens_.Expect(':');
        std::string className = ExpectName();
        tokens_.Expect('{');
        return {name, className};
    }

    std::string ExpectName() {
        if (tokens_.Peek().type != Tokenizer::Type::Name) tokens_.Fail("a name expected");
        return tokens_.Take().text;
    }

    void ApplyBlockBody(TComponent& component) {
        component.SetLoading(true);
        while (!tokens_.TakeIf('}')) {
            if (tokens_.Peek().type == Tokenizer::Type::End) tokens_.Fail("'}' expected");
            std::string name = ExpectName();
            if (tokens_.TakeIf(':')) {
                std::string className = ExpectName();
                tokens_.Expect('{');
                ApplyChild(component, name, className);
            } else {
                tokens_.Expect('=');
                LayoutValue value = ReadValue();
                tokens_.TakeIf(';');
                if (!component.ApplyProperty(name, value, reader_))
                    tokens_.Fail("unknown property " + name + " of " + component.ClassName());
            }
        }
        component.SetLoading(false);
        component.Loaded();
    }

    void ApplyChild(TComponent& container, const std::string& name, const std::string& className) {
        TComponent* child = CreateComponent(className, &reader_.root_, &container);
        if (!child) tokens_.Fail("unknown class " + className);
        child->SetName(name);
        if (!container.AdoptChild(*child)) tokens_.Fail(className + " cannot stand inside " + container.ClassName());
        ApplyBlockBody(*child);
    }

    LayoutValue ReadValue() {
        Tokenizer::Token t = tokens_.Take();
        switch (t.type) {
            case Tokenizer::Type::Number: return LayoutValue::Number(ParseNumber(t.text));
            case Tokenizer::Type::Text: return LayoutValue::Text(t.text);
            case Tokenizer::Type::Name: return LayoutValue::Name(t.text);
            case Tokenizer::Type::Punct:
                if (t.text == "[") return ReadList();
                if (t.text == "{") return ReadRecord();
                break;
            case Tokenizer::Type::End: break;
        }
        tokens_.Fail("a value expected");
    }

    LayoutValue ReadList() {
        std::vector<LayoutValue> items;
        while (!tokens_.TakeIf(']')) {
            items.push_back(ReadValue());
            tokens_.TakeIf(',');
        }
        return LayoutValue::List(std::move(items));
    }

    LayoutValue ReadRecord() {
        std::vector<std::pair<std::string, LayoutValue>> fields;
        while (!tokens_.TakeIf('}')) {
            std::string name = ExpectName();
            tokens_.Expect('=');
            fields.emplace_back(name, ReadValue());
            tokens_.TakeIf(';');
        }
        return LayoutValue::Record(std::move(fields));
    }

    LayoutReader& reader_;
    Tokenizer tokens_;
};

void LayoutReader::Apply(std::string_view text, std::string_view expectedClass) {
    LayoutApplier(*this, text).ApplyRoot(expectedClass);
    for (Fixup& fixup : fixups_) {
        TComponent* target = root_.FindComponent(fixup.name);
        if (!target) throw ELayoutError("Layout names a missing component " + fixup.name);
        fixup.assign(target);
    }
    fixups_.clear();
}

void LayoutReader::ResolveLater(const LayoutValue& componentName, std::function<void(TComponent*)> assign) {
    fixups_.push_back({componentName.AsName(), std::move(assign)});
}

const EventHandler& LayoutReader::FindHandler(const std::string& name) const {
    auto it = handlers_.find(name);
    if (it == handlers_.end()) throw ELayoutError("Layout names a missing handler " + name);
    return it->second;
}

void RegisterLayoutText(std::string className, std::string text) {
    RegisteredLayouts()[std::move(className)] = std::move(text);
}

void LoadLayout(TComponent& root, std::string_view className, const HandlerTable& handlers) {
    std::string text;
    if (auto it = RegisteredLayouts().find(className); it != RegisteredLayouts().end()) {
        text = it->second;
    } else {
        QFile file(QString::fromUtf8(":/layouts/") + QString::fromUtf8(className.data(), qsizetype(className.size())) +
                   QString::fromUtf8(".layout"));
        if (!file.open(QIODevice::ReadOnly)) throw EResNotFound(FormatMessage("Resource %s not found", className));
        text = file.readAll().toStdString();
    }
    LayoutReader reader(root, handlers);
    reader.Apply(text, className);
}
