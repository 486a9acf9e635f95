// Papers as JDF media (CIP4 JDF 1.3), both ways: a catalog written as one JDF
// node whose ResourcePool holds a Media resource per paper, and the Media of a
// JDF file or of a controller's JMF answer (Response or Signal of Type
// "Resource", ResourceInfo holding a ResourcePool or the Media themselves)
// read as papers through the one mapping of printer media (MediaPapers.h),
// with its refusals.
//
// What JDF says and what this PC's papers hold:
// - DescriptiveName is the name; Dimension the size in points; Weight gsm.
// - MediaColorName is JDF's NamedColor (White, Clear, NoColor...), mapped to
//   and from IPP's media-color keywords in one table.
// - MediaType Paper or Transparency, with MediaTypeDetails (Stationery,
//   PreCutTabs) or StockType (Cover) where JDF has a word for the paper type.
// - A colour word that MediaColorName cannot give back exactly (a word of
//   the operator's own, or another language's word) is written in
//   MediaColorNameDetails, which JDF keeps for the colour's own name, and is
//   read back from it as it stands. A type word that JDF's words cannot give
//   back, and the paper's forced one-sided flag, have no JDF attribute: they
//   go into attributes of the program's own namespace (kPaperNamespace, Type
//   and ForceOneSided), which JDF lets any writer add and readers ignore.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/PaperCatalog.h"
#include "catalog/PaperTable.h"
#include "media/MediaPapers.h"
#include "media/XmlReader.h"

inline constexpr std::string_view kJdfNamespace = "http://www.CIP4.org/JDFSchema_1_1";
inline constexpr std::string_view kPaperNamespace = "urn:x-quandrel:paper";

// The JDF NamedColor for an IPP media-color keyword and back; empty when the
// table has none. JDF names are compared exactly, as JDF spells them.
std::string JdfColorForKeyword(std::string_view keyword);
std::string KeywordForJdfColor(std::string_view jdfColor);

enum class JdfFault : uint8_t {
    None,
    NotXml,        // `xml` says why
    NotJdf,        // well-formed, but the root is no JDF or JMF element (`root`)
    NoMedia,       // JDF or JMF without a single Media resource
    MediaRefused,  // one or more Media refused: `refusals`
};

struct JdfMediaRefusal {
    int line = 0;      // of the Media element
    std::string name;  // its DescriptiveName (code page 1252), else its ID
    std::string attribute;  // the JDF attribute refused, empty for the media as a whole
    // The reason: a refusal of the mapping, or (MediaRefusal::None) a row
    // refusal in the table reader's words (a field rule, a repeated name, a
    // transparency printed on both sides).
    MediaRefusal media = MediaRefusal::None;
    RowRefusal row;
    std::string value;  // the refused value as written
    bool notANumber = false;  // Dimension or Weight that is no number
};

struct JdfMediaRead {
    JdfFault fault = JdfFault::None;
    XmlDocument xml;   // the reader's verdict (the tree is dropped once read)
    std::string root;  // NotJdf: the root element's name
    std::vector<CPaperDef> papers;  // in the file's order, when nothing is refused
    std::vector<JdfMediaRefusal> refusals;  // the first kMaxRowRefusalsKept
    size_t refusedMedia = 0;                // all of them
    size_t mediaCount = 0;
    bool ok() const { return fault == JdfFault::None; }
};

// The Media of a JDF or JMF document as papers in `language`, all or none:
// one refused Media refuses the file, as one refused row refuses a table.
JdfMediaRead ReadJdfMedia(std::string_view bytes, int16_t language);

// The papers as a JDF document (UTF-8, CR LF), its words read as words of
// `language`; `title` (code page 1252) becomes the JDF node's DescriptiveName.
std::string WriteJdfMedia(const std::vector<CPaperDef>& papers, int16_t language, std::string_view title);

// A name ending in ".jdf" (letter case ignored) is written as JDF media.
bool IsJdfFileName(const std::string& path);

// The catalog as a JDF file through the export's safe replace. `lost`
// receives the papers that do not read back as they are (checked by reading
// what was written).
bool ExportJdfFile(const CPaperCatalog& catalog, const std::string& path, std::string_view title,
                   StoreReport* report = nullptr, NotReadBack* lost = nullptr);

// A refused read in the current language, one line an entry, as the table
// reader's refusals are: the heading for `use`, then what was found, or up to
// ten refused Media (line, name, attribute, reason) and "and N more".
std::vector<std::string> JdfRefusalLines(const JdfMediaRead& read, TableUse use);
std::string JdfRefusalMessage(const JdfMediaRead& read, TableUse use);
