#include "io/StrictJsonParser.h"

#include <string>
#include <utility>
#include <vector>

#include "io/JsonPath.h"
#include "io/RigFileError.h"

namespace rghost {

namespace {

using nlohmann::json;

// nlohmann's messages carry an "[json.exception...]" tag and may quote raw input
// bytes; keep the position and reason, and make sure the line stays printable.
std::string describeSyntaxError(const std::string& what)
{
    const std::size_t tagEnd = what.find("] ");
    std::string reason = tagEnd == std::string::npos ? what : what.substr(tagEnd + 2);
    const std::string parseError = "parse error";
    if (reason.compare(0, parseError.size(), parseError) == 0) {
        reason = "malformed JSON" + reason.substr(parseError.size());
    }
    std::string printable;
    for (const char c : reason) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7f) {
            static const char digits[] = "0123456789abcdef";
            printable += "\\x";
            printable += digits[byte >> 4];
            printable += digits[byte & 0xf];
        } else {
            printable += c;
        }
    }
    return printable;
}

// Builds the document the way nlohmann's own DOM parser does, while keeping
// track of where it is so that every refusal can name the path.
class StrictDocumentBuilder {
public:
    StrictDocumentBuilder(json& root, std::size_t maxDepth) : root_(root), maxDepth_(maxDepth) {}

    bool null() { return addScalar(nullptr); }
    bool boolean(bool value) { return addScalar(value); }
    bool number_integer(json::number_integer_t value) { return addScalar(value); }
    bool number_unsigned(json::number_unsigned_t value) { return addScalar(value); }
    bool number_float(json::number_float_t value, const std::string&) { return addScalar(value); }
    bool string(std::string& value) { return addScalar(std::move(value)); }
    bool binary(json::binary_t& value) { return addScalar(std::move(value)); }

    bool start_object(std::size_t) { return openContainer(json::object()); }
    bool start_array(std::size_t) { return openContainer(json::array()); }
    bool end_object() { return closeContainer(); }
    bool end_array() { return closeContainer(); }

    bool key(std::string& key)
    {
        Open& top = open_.back();
        if (top.container->contains(key)) {
            throw RigFileError(pathOfNextValue(&key) + ": duplicate key");
        }
        top.slot = &(*top.container)[key];
        top.key = std::move(key);
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error)
    {
        throw RigFileError(pathOfNextValue() + ": " + describeSyntaxError(error.what()));
    }

private:
    struct Open {
        json* container;
        json* slot = nullptr; // objects: where the value of the last key goes
        std::string key;
    };

    json* place(json&& value)
    {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Open& top = open_.back();
        if (top.container->is_array()) {
            auto& elements = top.container->get_ref<json::array_t&>();
            elements.push_back(std::move(value));
            return &elements.back();
        }
        *top.slot = std::move(value);
        return top.slot;
    }

    bool addScalar(json&& value)
    {
        place(std::move(value));
        if (!open_.empty()) {
            open_.back().slot = nullptr;
        }
        return true;
    }

    bool openContainer(json&& empty)
    {
        if (open_.size() >= maxDepth_) {
            throw RigFileError(pathOfNextValue() + ": nested deeper than " + std::to_string(maxDepth_) + " levels");
        }
        open_.push_back(Open{place(std::move(empty)), nullptr, {}});
        return true;
    }

    bool closeContainer()
    {
        open_.pop_back();
        if (!open_.empty()) {
            open_.back().slot = nullptr;
        }
        return true;
    }

    // Text of the path of the value the innermost container is waiting for,
    // or of its member `key` when one is given.
    std::string pathOfNextValue(const std::string* key = nullptr) const
    {
        // Reserved up front: each step refers to the one before it.
        std::vector<JsonPath> steps;
        steps.reserve(open_.size() + 2);
        steps.emplace_back();
        for (std::size_t i = 0; i < open_.size(); ++i) {
            const Open& parent = open_[i];
            const bool innermost = i + 1 == open_.size();
            if (parent.container->is_array()) {
                const std::size_t filled = parent.container->size();
                steps.push_back(steps.back()[innermost ? filled : filled - 1]);
            } else if (!innermost || parent.slot != nullptr) {
                steps.push_back(steps.back() / parent.key);
            }
        }
        if (key != nullptr) {
            steps.push_back(steps.back() / *key);
        }
        return steps.back().str();
    }

    json& root_;
    std::size_t maxDepth_;
    std::vector<Open> open_;
};

} // namespace

json parseStrictJson(std::string_view text, std::size_t maxDepth)
{
    json document;
    StrictDocumentBuilder builder(document, maxDepth);
    json::sax_parse(text.begin(), text.end(), &builder, nlohmann::detail::input_format_t::json, true, false);
    return document;
}

} // namespace rghost
