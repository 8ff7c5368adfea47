// Where the page host finds what a URL names: folders standing in for web sites, and pages held in
// memory (generated pages, pages written inline by a test). Nothing goes to the network.
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "classlib/System.h"

namespace pagehost {

// What a resource was added as. Whether a browser shows it as an HTML document is decided by its
// content (LooksLikeMarkup), as the browser decides, not by this.
enum class ResourceKind { Html, StyleSheet, Other };

struct Resource {
  ResourceKind Kind = ResourceKind::Html;
  AnsiString Bytes;
  WideString Cookie;  // the cookie text the document reports
};

class SiteMap {
 public:
  // URLs starting with prefix (ASCII case ignored) are read from folder, the rest of the URL
  // (query and fragment dropped) as the relative path; a path ending in "/" names index.html.
  void MapFolder(const WideString& prefix, const WideString& folder);
  // Reads <folder>\sites.txt: one "prefix subfolder" pair a line, "#" starts a comment line.
  // Returns false when the file cannot be read.
  bool LoadMapFile(const WideString& folder);
  // A page held in memory under exactly this URL (ASCII case ignored).
  void AddPage(const WideString& url, AnsiString bytes, ResourceKind kind = ResourceKind::Html,
               WideString cookie = {});

  // What the URL names; about:blank is an empty page; nothing when nothing is there.
  std::optional<Resource> Fetch(const WideString& url) const;

  // A relative reference resolved against base, as the browser resolves links.
  static WideString Combine(const WideString& base, const WideString& relative);
  // A local file's path as a file URL.
  static WideString FileUrl(const WideString& path);

 private:
  struct Folder {
    WideString Prefix;
    WideString Path;
  };
  std::vector<Folder> FFolders;
  std::map<WideString, Resource> FPages;  // key: URL with ASCII letters in lower case
};

// Whether the bytes are markup, as a browser sniffs a document whose type nobody told it: after a
// UTF-8 byte-order mark and white space, a "<" that opens a tag, an end tag, a comment, a
// declaration or a processing instruction. Nothing else (a PDF, plain text, nothing) is HTML.
bool LooksLikeMarkup(const AnsiString& bytes);
// Reads a whole file; false when it cannot be opened.
bool ReadFileBytes(const WideString& path, AnsiString& bytes);
// The sample pages beside the running program ("pages" in its folder).
WideString PagesBesideProgram();

}  // namespace pagehost
