#include "installer/logic/CVariableTable.h"

#include "installer/logic/CSetupApp.h"

#include <algorithm>

namespace setup {

namespace {

bool equalNoCase(std::string_view a, std::string_view b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : char(c); };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// Hostile setups could nest references so that a text doubles at every level; no field holds more.
constexpr std::size_t kMaxExpansion = 1 << 20;
// A chain of references deeper than this is treated as circular rather than exhausting the stack.
constexpr std::size_t kMaxDepth = 1000;

}  // namespace

void CVariableTable::AddVariable(std::string name, std::string value) {
    entries_.push_back({std::move(name), std::move(value)});
}

bool CSetupApp::BuildVariableTable() {
    auto table = std::make_unique<CVariableTable>();
    std::string windows = machine_.windowsFolder();
    std::string system = machine_.systemFolder();
    table->AddVariable("WINDOWSDIR", windows);
    table->AddVariable("WINDOWSSYSTEMDIR", system);
    table->AddVariable("WINDOWSDRIVE", system.substr(0, 1));
    std::string programFiles;
    if (auto v = registry_.queryValue(platform::RegRoot::LocalMachine, CurrentVersionKey, "ProgramFilesDir");
        v && (v->type == platform::regtype::Sz || v->type == platform::regtype::ExpandSz)) {
        programFiles.assign(v->data.begin(), std::find(v->data.begin(), v->data.end(), uint8_t{0}));
    }
    table->AddVariable("PROGRAMFILESDIR", programFiles);
    if (setupInfo) {
        table->AddVariable("PRODUCTNAME", setupInfo->header.productName);
        table->AddVariable("PRODUCTVERSION", setupInfo->header.version);
        table->AddVariable("SETUPPATH", setupInfo->header.defaultDestination);
        for (const auto& s : setupInfo->stringVariables) table->AddVariable(s.name, s.value);
    }
    variables = std::move(table);
    return true;
}

std::string CSetupApp::LookupVariable(std::string_view name, VariableIdentity* identity) const {
    using Kind = VariableIdentity::Kind;
    auto found = [&](Kind kind, std::size_t index, const std::string& value) {
        if (identity) *identity = {kind, index};
        return value;
    };
    if (setupInfo) {
        // Only an upper-case PATH_ names a component's folder; the rest compares without case.
        if (name.starts_with("PATH_")) {
            auto rest = name.substr(5);
            const auto& components = setupInfo->components;
            for (std::size_t i = 0; i < components.size(); ++i) {
                if (!equalNoCase(components[i].name, rest)) continue;
                if (!components[i].destination.empty()) return found(Kind::ComponentPath, i, components[i].destination);
                break;
            }
        }
        if (equalNoCase(name, "SETUPPATH") && !setupInfo->header.defaultDestination.empty())
            return found(Kind::CurrentDestination, 0, setupInfo->header.defaultDestination);
    }
    if (variables) {
        const auto& entries = variables->entries();
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (equalNoCase(entries[i].name, name)) return found(Kind::TableEntry, i, entries[i].value);
    }
    if (identity) *identity = {};
    return {};
}

namespace {

void expandInto(const CSetupApp& app, std::string_view text, std::vector<VariableIdentity>& stack, std::string& out) {
    while (true) {
        if (out.size() > kMaxExpansion) {
            out += text;
            return;
        }
        auto open = text.find('^');
        if (open == text.npos) {
            out += text;
            return;
        }
        out += text.substr(0, open);
        auto close = text.find('^', open + 1);
        if (close == text.npos) {
            out += text.substr(open + 1);  // a lone caret disappears
            return;
        }
        auto name = text.substr(open + 1, close - open - 1);
        VariableIdentity id;
        std::string value = app.LookupVariable(name, &id);
        if (value.empty()) {
            out += '^';
            out += name;
            out += '^';
        } else if (stack.size() >= kMaxDepth || std::find(stack.begin(), stack.end(), id) != stack.end()) {
            out += CircularReferenceText;
        } else {
            stack.push_back(id);
            expandInto(app, value, stack, out);
            stack.pop_back();
        }
        text = text.substr(close + 1);
    }
}

}  // namespace

std::string CSetupApp::ExpandVariables(std::string_view text) const {
    std::vector<VariableIdentity> stack;
    std::string out;
    expandInto(*this, text, stack, out);
    return out;
}

}  // namespace setup
