#include "ui/suggestions.h"

#include <cstring>

namespace {

bool IsDriveRoot(const char* path) {
    const char c = path[0];
    return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path[1] == ':' && path[2] == '\\';
}

bool StartsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// True when `text` ends in a '\' of its own, not in the second byte of a double-byte character.
bool EndsInBackslash(const char* text) {
    const char* last = TextFindLastOf(text, "\\");
    return last != nullptr && last[1] == '\0';
}

}  // namespace

bool AddSuggestion(Suggestions& list, const char* text) {
    if (list.count == kMaxSuggestions) {
        return false;
    }
    if (std::strlen(text) > static_cast<std::size_t>(kTextChars)) {
        return true;  // a history entry of an earlier version, longer than a line: never cut
    }
    for (int i = 0; i < list.count; ++i) {
        if (TextEqualNoCase(list.items[i], text)) {
            return true;
        }
    }
    CopyText(list.items[list.count++], text, kTextBuffer);
    return list.count < kMaxSuggestions;
}

void SuggestNames(const char* typed, const AliasList& aliases, const CommandHistory& history,
                  Suggestions& list) {
    list.count = 0;
    if (typed[0] == '\0') {
        return;
    }
    for (const AliasRecord* alias = FirstAlias(aliases); alias != nullptr; alias = alias->Next) {
        if (TextStartsWithNoCase(alias->Name, typed) && !AddSuggestion(list, alias->Name)) {
            return;
        }
    }
    for (const char* entry : history.Slots) {
        if (entry[0] != '\0' && TextStartsWithNoCase(entry, typed) && !AddSuggestion(list, entry)) {
            return;
        }
    }
}

bool FolderToList(const char* typed, const char* startFolder, FolderQuery& query) {
    const char* path = typed[0] == '"' ? typed + 1 : typed;
    const char* last = TextFindLastOf(path, "\\");
    if (last == nullptr || StartsWith(path, "\\\\") || std::strpbrk(last, "*?\"") != nullptr) {
        return false;
    }
    CopyText(query.shown, typed, static_cast<std::size_t>(last + 1 - typed) + 1);
    CopyText(query.partial, last + 1, kTextBuffer);
    query.folder[0] = '\0';
    if (StartsWith(path, ".\\") || StartsWith(path, "..\\")) {
        if (startFolder[0] != '\0' &&
            (!AppendText(query.folder, startFolder, sizeof query.folder) ||
             (!EndsInBackslash(query.folder) &&
              !AppendText(query.folder, "\\", sizeof query.folder)))) {
            return false;
        }
    } else if (!IsDriveRoot(path)) {
        return false;
    }
    return AppendText(query.folder, query.shown + (path - typed), sizeof query.folder);
}

bool AddFolderEntry(Suggestions& list, const FolderQuery& query, const char* name, bool isFolder) {
    char entry[kTextBuffer];
    CopyText(entry, query.shown, sizeof entry);
    if (!TextStartsWithNoCase(name, query.partial) || !AppendText(entry, name, sizeof entry) ||
        (isFolder && !AppendText(entry, "\\", sizeof entry))) {
        return list.count < kMaxSuggestions;
    }
    return AddSuggestion(list, entry);
}
