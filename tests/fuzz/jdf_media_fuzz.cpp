// Reading arbitrary bytes as XML and as JDF media: no crash; a document the
// reader accepts, written out again, reads back as the same tree; a refusal
// says where; JDF media read as papers keep the form's rules and come back
// the same through the JDF writer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "catalog/PaperRules.h"
#include "media/JdfMedia.h"
#include "media/XmlReader.h"
#include "state/AppState.h"

namespace {

// The tree as XML: text first, then the children, which the reader reads back
// as the same element (it joins an element's text pieces).
void Write(const XmlElement& element, std::string& out) {
    out += "<" + element.name;
    for (const XmlAttribute& attribute : element.attributes) out += " " + attribute.name + "=\"" + XmlEscape(attribute.value) + "\"";
    out += ">" + XmlEscape(element.text);
    for (const XmlElement& child : element.children) Write(child, out);
    out += "</" + element.name + ">";
}

bool Same(const XmlElement& a, const XmlElement& b) {
    if (a.name != b.name || a.namespaceUri != b.namespaceUri || a.text != b.text ||
        a.attributes.size() != b.attributes.size() || a.children.size() != b.children.size())
        return false;
    for (size_t i = 0; i < a.attributes.size(); ++i) {
        if (a.attributes[i].name != b.attributes[i].name || a.attributes[i].value != b.attributes[i].value ||
            a.attributes[i].namespaceUri != b.attributes[i].namespaceUri)
            return false;
    }
    for (size_t i = 0; i < a.children.size(); ++i) {
        if (!Same(a.children[i], b.children[i])) return false;
    }
    return true;
}

std::string Describe(const CPaperDef& p) {
    return p.Name + "|" + p.Size + "|" + p.Weight + "|" + p.Color + "|" + p.Type + (p.ForceOneSided ? "|T" : "|F");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AppState.SizeChoiceCount = 9;
    AppState.CurrentLanguage = 1;
    AppState.MinimumPaperWeight = 60;
    AppState.MaximumPaperWeight = 200;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const XmlDocument doc = ReadXml(bytes);
    if (!doc.ok()) {
        if (!doc.root.name.empty()) std::abort();
        if (doc.fault != XmlFault::TooLarge && (doc.line < 1 || doc.column < 1)) std::abort();
    } else {
        std::string again;
        Write(doc.root, again);
        const XmlDocument back = ReadXml(again);
        if (!back.ok() || !Same(doc.root, back.root)) std::abort();
    }

    const JdfMediaRead read = ReadJdfMedia(bytes, 1);
    if (!read.ok()) {
        if (!read.papers.empty() || JdfRefusalLines(read, TableUse::Import).size() < 2) std::abort();
        if ((read.fault == JdfFault::NotXml) != !doc.ok()) std::abort();
        for (const JdfMediaRefusal& refusal : read.refusals)
            if (refusal.line < 1) std::abort();
        return 0;
    }
    if (read.papers.empty() || !doc.ok()) std::abort();
    std::string before;
    for (const CPaperDef& paper : read.papers) {
        if (CheckCompleteField(PA_NAME, paper.Name, nullptr, Blanks::Inside) != FieldFault::FieldOk ||
            CheckCompleteField(PA_WEIGHT, paper.Weight, nullptr, Blanks::Inside) != FieldFault::FieldOk ||
            CheckCompleteField(PA_COLOR, paper.Color, nullptr, Blanks::Inside) != FieldFault::FieldOk ||
            CheckCompleteField(PA_TYPE, paper.Type, nullptr, Blanks::Inside) != FieldFault::FieldOk)
            std::abort();
        before += Describe(paper) + "\n";
    }
    const JdfMediaRead again = ReadJdfMedia(WriteJdfMedia(read.papers, 1, "Fuzz"), 1);
    std::string after;
    for (const CPaperDef& paper : again.papers) after += Describe(paper) + "\n";
    if (!again.ok() || after != before) std::abort();
    return 0;
}
