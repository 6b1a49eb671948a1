#include "state/exchange_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "state/file_ops.h"

namespace {

// Longest text kept from each kind of line. The rest of a longer line is read and dropped,
// so that one over-long line never shifts the lines after it into the wrong fields.
constexpr std::size_t kNameLimit = kNameChars;
constexpr std::size_t kTextLimit = kTextChars;
constexpr std::size_t kOtherLimit = 99;  // header, version, marker and window-state lines

constexpr int kEndOfData = -1;
constexpr int kCtrlZ = 0x1A;

// Raw bytes, either all in memory or pulled from an open file one block at a time. A read
// error counts as the end of the data.
class ByteSource {
  public:
    ByteSource(const unsigned char* data, std::size_t size)
        : file_(nullptr),
          saved_(nullptr),
          block_(nullptr),
          blockSize_(0),
          data_(data),
          size_(size),
          pos_(0) {}
    ByteSource(std::FILE* file, unsigned char* block, std::size_t blockSize)
        : file_(file),
          saved_(file),
          block_(block),
          blockSize_(blockSize),
          data_(block),
          size_(0),
          pos_(0) {}

    int Peek() {
        if (pos_ == size_ && !Refill()) {
            return kEndOfData;
        }
        return data_[pos_];
    }

    int Take() {
        int c = Peek();
        if (c != kEndOfData) {
            ++pos_;
        }
        return c;
    }

    // The bytes from here to the end of the block in hand (the next block when that one is
    // used up), all taken at once; 0 at the end of the data.
    std::size_t TakeBlock(const unsigned char** bytes) {
        if (pos_ == size_ && !Refill()) {
            return 0;
        }
        *bytes = data_ + pos_;
        const std::size_t count = size_ - pos_;
        pos_ = size_;
        return count;
    }

    // Back to the first byte. A file read no further than its first block is taken from
    // the block again; one that cannot go back has no more data.
    void Rewind() {
        pos_ = 0;
        if (saved_ != nullptr && blocks_ > 1) {
            size_ = 0;
            blocks_ = 0;
            file_ = std::fseek(saved_, 0, SEEK_SET) == 0 ? saved_ : nullptr;
        }
    }

    // Passes over the byte-order mark that some editors put before UTF-8 text. Only at the
    // start of the data, where the first block holds all three bytes of the mark.
    void SkipUtf8Mark() {
        static const unsigned char kMark[] = {0xEF, 0xBB, 0xBF};
        if (Peek() != kEndOfData && size_ - pos_ >= sizeof(kMark) &&
            std::memcmp(data_ + pos_, kMark, sizeof(kMark)) == 0) {
            pos_ += sizeof(kMark);
        }
    }

  private:
    bool Refill() {
        if (file_ == nullptr) {
            return false;
        }
        const std::size_t size = std::fread(block_, 1, blockSize_, file_);
        if (size == 0) {
            file_ = nullptr;  // end of file or a read error: no more data either way
            return false;     // (the block in hand stays, for Rewind)
        }
        size_ = size;
        pos_ = 0;
        ++blocks_;
        return true;
    }

    std::FILE* file_;   // null once the file's end was met
    std::FILE* saved_;  // the file, for Rewind
    unsigned char* block_;
    std::size_t blockSize_;
    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_;
    std::size_t blocks_ = 0;  // read from the file since the start
};

// What the lines of a file are, as text of the program.
enum class LineText {
    AsStored,  // the program's code page is a legacy one: the bytes are taken as they are
    Utf8,      // a UTF-8 file for a UTF-8 program: lines are cut between characters
    Legacy     // a file that is not UTF-8, for a UTF-8 program: converted from the legacy
               // ANSI code page, in which older programs wrote it
};

// The bytes read as text: CR LF gives LF, a CR followed by anything else is an ordinary
// character, and a byte 1A hex ends the data. Once the end is met it stays met.
class TextReader {
  public:
    TextReader(ByteSource& source, LineText lines)
        : source_(source), lines_(lines), ended_(false) {}

    bool Ended() const { return ended_; }

    int Next() {
        if (ended_) {
            return kEndOfData;
        }
        int c = source_.Take();
        if (c == kEndOfData || c == kCtrlZ) {
            ended_ = true;
            return kEndOfData;
        }
        if (c == '\r' && source_.Peek() == '\n') {
            source_.Take();
            return '\n';
        }
        return c;
    }

    // Reads one whole line into `text` (room for `limit` bytes and the terminator), keeping
    // as many of its first characters as fit. `length` tells how many bytes the file's line
    // gave before that cut. True when the line ended with a line break, false when the end of
    // the data ended it (or had been met before).
    bool ReadLine(char* text, std::size_t limit, std::size_t* length) {
        std::size_t kept = 0;
        bool lineBreak = false;
        for (int c = Next(); c != kEndOfData; c = Next()) {
            if (c == '\n') {
                lineBreak = true;
                break;
            }
            if (kept < limit) {
                text[kept++] = static_cast<char>(c);
            }
        }
        text[kept] = '\0';
        if (length != nullptr) {
            *length = kept;
        }
        if (lines_ == LineText::Legacy) {
            char converted[kTextBuffer];
            LegacyToUtf8(text, kept, converted, limit + 1);
            CopyText(text, converted, limit + 1);
        } else if (lines_ == LineText::Utf8) {
            text[Utf8CutLength(text, kept)] = '\0';
        }
        return lineBreak;
    }

  private:
    ByteSource& source_;
    LineText lines_;
    bool ended_;
};

// True when the bytes up to the end of the data are well-formed UTF-8 (plain ASCII is).
bool DataIsUtf8(ByteSource& source) {
    Utf8Check check;
    const unsigned char* bytes = nullptr;
    for (std::size_t count = source.TakeBlock(&bytes); count > 0;
         count = source.TakeBlock(&bytes)) {
        for (std::size_t i = 0; i < count; ++i) {
            if (bytes[i] == kCtrlZ) {
                return check.Complete();
            }
            // Plain ASCII between sequences needs no look.
            if ((bytes[i] >= 0x80 || !check.Complete()) && !check.Take(bytes[i])) {
                return false;
            }
        }
    }
    return check.Complete();
}

bool ImportFrom(AliasList& list, ByteSource& source) {
    // A file is never refused for its encoding: what is not UTF-8 was written in the
    // legacy code page.
    LineText lines = LineText::AsStored;
    if (TextIsUtf8()) {
        lines = DataIsUtf8(source) ? LineText::Utf8 : LineText::Legacy;
        source.Rewind();
        if (lines == LineText::Utf8) {
            source.SkipUtf8Mark();
        }
    }
    TextReader reader(source, lines);
    char line[kOtherLimit + 1];
    reader.ReadLine(line, kOtherLimit, nullptr);
    if (!TextEqual(line, kExchangeHeader)) {
        return false;
    }
    reader.ReadLine(line, kOtherLimit, nullptr);  // the version: not compared

    AliasAdder adder(list);
    char name[kNameLimit + 1];
    char command[kTextLimit + 1];
    char startPath[kTextLimit + 1];
    while (!reader.Ended()) {
        reader.ReadLine(line, kOtherLimit, nullptr);  // the marker: any line serves
        reader.ReadLine(name, kNameLimit, nullptr);
        reader.ReadLine(command, kTextLimit, nullptr);
        reader.ReadLine(startPath, kTextLimit, nullptr);
        // A record counts only when all five lines are there; the last state line of a
        // file may end at the end of the data instead of a line break.
        bool endedBeforeState = reader.Ended();
        std::size_t stateLength = 0;
        bool stateBreak = reader.ReadLine(line, kOtherLimit, &stateLength);
        if (endedBeforeState || (stateLength == 0 && !stateBreak)) {
            break;
        }
        // Names already used and session command names are skipped.
        if (!IsSessionCommandName(name)) {
            adder.Add(name, command, startPath, ParseWindowState(line));
        }
    }
    return true;
}

// The writer: stops writing after the first failed write, as nothing sensible can follow.
class Writer {
  public:
    explicit Writer(std::FILE* file) : file_(file), failed_(false) {}

    void Bytes(const char* bytes, std::size_t count) {
        if (!failed_ && count > 0 && std::fwrite(bytes, 1, count, file_) != count) {
            failed_ = true;
        }
    }

    void Text(const char* text) { Bytes(text, std::strlen(text)); }

    // A text field as stored, up to its terminator but never past its buffer.
    void Field(const char* text, std::size_t capacity) {
        const void* end = std::memchr(text, '\0', capacity);
        Bytes(text, end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - text)
                                   : capacity);
    }

    void Number(unsigned long long value) {
        char digits[24];
        std::size_t n = sizeof(digits);
        do {
            digits[--n] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        Bytes(digits + n, sizeof(digits) - n);
    }

    void LineBreak() { Bytes("\r\n", 2); }

    bool Failed() const { return failed_; }

  private:
    std::FILE* file_;
    bool failed_;
};

void WriteAliases(Writer& out, const AliasList& list) {
    out.Text(kExchangeHeader);
    out.LineBreak();
    out.Text(kExchangeVersion);
    unsigned long long number = 0;
    for (const AliasRecord* alias = FirstAlias(list); alias != nullptr; alias = alias->Next) {
        out.LineBreak();
        out.Text("[Alias ");
        out.Number(number++);
        out.Text("]");
        out.LineBreak();
        out.Field(alias->Name, sizeof(alias->Name));
        out.LineBreak();
        out.Field(alias->Command, sizeof(alias->Command));
        out.LineBreak();
        out.Field(alias->StartPath, sizeof(alias->StartPath));
        out.LineBreak();
        out.Number(alias->WindowState);
    }
}

// True when `path` names no file yet, or a file that could be written in place: a
// read-only file, or one that another program holds without sharing it, stays as it is.
bool MayWrite(const char* path) {
    std::FILE* existing = std::fopen(path, "r+b");
    if (existing == nullptr) {
        return errno == ENOENT;
    }
    std::fclose(existing);
    return true;
}

// Creates a new, empty file in the folder of `path` and puts its path into `temporary`
// (`capacity` bytes). Null when none can be created there.
std::FILE* CreateFileBeside(const char* path, char* temporary, std::size_t capacity) {
    // The length of the folder part, separator included.
    const char* separator = TextFindLastOf(path, "\\/:");
    const std::size_t folder =
        separator != nullptr ? static_cast<std::size_t>(separator + 1 - path) : 0;
    // A short name, so that the path stays within the limits of a path that fits.
    char name[] = "~zantrel0.tmp";
    if (folder + sizeof(name) > capacity) {
        return nullptr;
    }
    for (char digit = '0'; digit <= '9'; ++digit) {
        name[8] = digit;
        std::memcpy(temporary, path, folder);
        std::memcpy(temporary + folder, name, sizeof(name));
        if (std::FILE* file = CreateNewFile(temporary)) {
            return file;
        }
        if (errno != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}

}  // namespace

std::uint32_t ParseWindowState(const char* text) {
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    std::uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10u + static_cast<std::uint32_t>(*p - '0');
    }
    return negative ? 0u - value : value;
}

bool ExportAliases(const AliasList& list, const char* path) {
    if (!MayWrite(path)) {
        return false;
    }
    // The aliases go to a new file beside the old one, which is replaced only once the new
    // one is complete: a failed export leaves the old file as it was and nothing beside it.
    char temporary[kTextBuffer + 16];
    std::FILE* file = CreateFileBeside(path, temporary, sizeof(temporary));
    if (file == nullptr) {
        return false;
    }
    Writer out(file);
    WriteAliases(out, list);
    const bool written = !out.Failed();
    if (CommitAndClose(file) && written && RenameOver(temporary, path)) {
        return true;
    }
    std::remove(temporary);
    return false;
}

bool ImportAliasesFromMemory(AliasList& list, const void* data, std::size_t size) {
    ByteSource source(static_cast<const unsigned char*>(data), size);
    return ImportFrom(list, source);
}

bool ImportAliases(AliasList& list, const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    unsigned char block[4096];
    ByteSource source(file, block, sizeof(block));
    bool result = ImportFrom(list, source);
    std::fclose(file);
    return result;
}
