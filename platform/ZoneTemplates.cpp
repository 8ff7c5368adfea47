#include "platform/ZoneTemplates.h"

#include <urlmon.h>

namespace {

// One row per URL action: the policy under Low, Medium-low, Medium and High. These are the
// browser's own defaults for each level; the zones of a new profile carry them as well.
struct TTemplateRow {
  DWORD Action;
  DWORD Low, MedLow, Medium, High;
};

constexpr DWORD A = URLPOLICY_ALLOW;     // 0
constexpr DWORD Q = URLPOLICY_QUERY;     // 1
constexpr DWORD D = URLPOLICY_DISALLOW;  // 3

const TTemplateRow Rows[] = {
    {0x1001, A, Q, Q, D},  // download signed ActiveX controls
    {0x1004, Q, D, D, D},  // download unsigned ActiveX controls
    {0x1200, A, A, A, D},  // run ActiveX controls and plug-ins
    {0x1201, Q, D, D, D},  // ActiveX controls not marked safe for scripting
    {0x1400, A, A, A, D},  // active scripting
    {0x1402, A, A, A, D},  // scripting of Java applets
    {0x1405, A, A, A, D},  // script ActiveX controls marked safe
    {0x1406, A, Q, D, D},  // data sources across domains
    {0x1407, A, A, A, D},  // paste operations through script
    {0x1601, A, A, Q, Q},  // submit non-encrypted form data
    {0x1604, A, A, A, Q},  // font download
    {0x1605, A, A, A, A},  // run Java
    {0x1606, A, A, A, D},  // user data persistence
    {0x1607, A, A, A, D},  // navigate sub-frames across domains
    {0x1608, A, A, A, D},  // META REFRESH
    {0x1609, Q, Q, Q, Q},  // mixed content
    {0x1800, A, Q, Q, D},  // install desktop items
    {0x1802, A, A, A, Q},  // drag and drop or copy and paste files
    {0x1803, A, A, A, D},  // file download
    {0x1804, A, Q, Q, D},  // programs and files in an IFRAME
    {0x1805, A, A, Q, Q},  // launch programs and files in web view
    {0x1A00, 0x00000, 0x20000, 0x20000, 0x10000},  // logon: automatic, intranet only, prompt
    {0x1A02, A, A, A, D},  // persistent cookies
    {0x1A03, A, A, A, D},  // per-session cookies
    {0x1A04, A, A, D, D},  // client certificate selection without prompt
    {0x1A05, A, A, Q, D},  // third-party persistent cookies
    {0x1A06, A, A, A, D},  // third-party session cookies
    {0x1A10, A, A, Q, D},  // privacy settings
    {0x1C00, 0x30000, 0x20000, 0x10000, 0x00000},  // Java permissions: low, medium, high, off
    {0x1E05, 0x30000, 0x20000, 0x20000, 0x10000},  // software channel permissions
    {0x2001, A, A, A, D},  // .NET components signed with Authenticode
    {0x2004, A, A, A, D},  // .NET components not signed
};

constexpr size_t RowCount = sizeof Rows / sizeof Rows[0];

template <DWORD TTemplateRow::*Column>
const TZoneTemplatePolicy* Table() {
  static TZoneTemplatePolicy table[RowCount];
  static bool filled = false;
  if (!filled) {
    for (size_t i = 0; i < RowCount; ++i) table[i] = {Rows[i].Action, Rows[i].*Column};
    filled = true;
  }
  return table;
}

}  // namespace

const TZoneTemplatePolicy* ZoneTemplatePolicies(DWORD Template, size_t& Count) {
  Count = RowCount;
  switch (Template) {
    case URLTEMPLATE_LOW:
      return Table<&TTemplateRow::Low>();
    case URLTEMPLATE_MEDLOW:
      return Table<&TTemplateRow::MedLow>();
    case URLTEMPLATE_MEDIUM:
      return Table<&TTemplateRow::Medium>();
    case URLTEMPLATE_HIGH:
      return Table<&TTemplateRow::High>();
    default:
      Count = 0;
      return nullptr;
  }
}
