// The policies of the browser's four security templates (Low, Medium-low, Medium, High), for the
// platforms whose zone manager cannot copy a template into a zone itself.
#pragma once

#include <windows.h>

#include <cstddef>

struct TZoneTemplatePolicy {
  DWORD Action;
  DWORD Policy;
};

// The policies of a template level (URLTEMPLATE_LOW $10000, MEDLOW $10500, MEDIUM $11000,
// HIGH $12000). Returns nullptr for any other level.
const TZoneTemplatePolicy* ZoneTemplatePolicies(DWORD Template, size_t& Count);
