#include "xml_tokenizer.h"

#include <cstring>
#include <stdexcept>

#include "config_errors.h"
#include "window_poison.h"

namespace notarel {
namespace {

constexpr unsigned char kLastBlank = 32;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= kLastBlank; }

}  // namespace

TXmlTokenizer::TXmlTokenizer(std::istream& source, std::size_t windowSize)
    : FSource(source), FWindowSize(windowSize), FWindow(new char[windowSize + 1]) {
  if (windowSize < 2) throw std::invalid_argument("XML reader window too small");
  // An empty window whose sentinel makes the first scan fetch the first window.
  FWindow[0] = 0;
  PoisonWindowBytes(FWindow.get() + 1, FWindowSize);
  try {
    NextToken();
  } catch (...) {
    // No destructor runs for a tokenizer that never finished construction.
    UnpoisonWindowBytes(FWindow.get(), FWindowSize + 1);
    throw;
  }
}

TXmlTokenizer::~TXmlTokenizer() {
  UnpoisonWindowBytes(FWindow.get(), FWindowSize + 1);
  const auto unread = static_cast<std::streamoff>(FDataEnd - FTokenStart);
  if (unread == 0) return;
  try {
    FSource.clear();
    FSource.seekg(-unread, std::ios::cur);
  } catch (...) {
    // A stream that cannot seek simply stays where the reading stopped.
  }
}

std::string_view TXmlTokenizer::RawText() const {
  return std::string_view(FWindow.get() + FTokenStart, FPos - FTokenStart);
}

std::string TXmlTokenizer::Text() const {
  std::string text;
  Text(text);
  return text;
}

void TXmlTokenizer::Text(std::string& out) const { CleanTokenText(RawText(), out); }

void TXmlTokenizer::RaiseParseError(const std::string& message) const {
  throw EParserError(message, FLine);
}

void TXmlTokenizer::NextToken() {
  SkipBlanks();
  FTokenStart = FPos;
  const char first = FWindow[FPos];
  if (first == '<') {
    ScanTag();
    FKind = ClassifyTag(RawText());
  } else if (first == 0) {
    FKind = TXmlTokenKind::EndOfInput;
  } else {
    ScanText();
    FKind = TXmlTokenKind::Text;
  }
}

void TXmlTokenizer::SkipBlanks() {
  const char* window = FWindow.get();
  for (;;) {
    const char c = window[FPos];
    if (c == 0) {
      // Blanks already passed are not needed again.
      FTokenStart = FPos;
      if (FPos != FSourceEnd || !Refill()) return;
      continue;
    }
    if (!IsBlank(c)) return;
    if (c == '\n') ++FLine;
    ++FPos;
  }
}

void TXmlTokenizer::ScanTag() {
  for (;;) {
    const char* p = FWindow.get() + FPos;
    while (*p != '>' && *p != 0) ++p;
    FPos = static_cast<std::size_t>(p - FWindow.get());
    if (*p == '>') {
      ++FPos;
      return;
    }
    if (FPos != FSourceEnd || !Refill()) RaiseParseError("Unclosed tag");
  }
}

void TXmlTokenizer::ScanText() {
  // The run's first byte is not blank; the token ends after its last non-blank byte.
  std::size_t lastFromStart = 0;
  for (;;) {
    const char* window = FWindow.get();
    const char* p = window + FPos;
    const char* last = window + FTokenStart + lastFromStart;
    for (char c = *p; c != '<' && c != 0; c = *++p) {
      if (!IsBlank(c)) last = p;
    }
    FPos = static_cast<std::size_t>(p - window);
    lastFromStart = static_cast<std::size_t>(last - window) - FTokenStart;
    if (*p != 0 || FPos != FSourceEnd || !Refill()) break;
  }
  FPos = FTokenStart + lastFromStart + 1;
}

// Called with the position on the sentinel. Keeps the bytes from the token
// start on, tops the window up from the stream and places the new sentinel.
// True when there are bytes to scan at the position.
bool TXmlTokenizer::Refill() {
  char* window = FWindow.get();
  UnpoisonWindowBytes(window, FWindowSize + 1);
  window[FSourceEnd] = FSavedByte;
  const std::size_t kept = FDataEnd - FTokenStart;
  std::memmove(window, window + FTokenStart, kept);
  FPos -= FTokenStart;
  FTokenStart = 0;
  FDataEnd = kept + ReadSource(window + kept, FWindowSize - kept);
  FSourceEnd = FDataEnd;
  if (FDataEnd == FWindowSize) {
    FSourceEnd = LastLineStart();
    if (FSourceEnd <= FPos) {
      PlaceSentinel();
      RaiseParseError("Line too long");
    }
  }
  PlaceSentinel();
  return FPos < FSourceEnd;
}

std::size_t TXmlTokenizer::LastLineStart() const {
  const std::string_view unscanned(FWindow.get() + FPos, FDataEnd - FPos);
  const std::size_t lastLf = unscanned.rfind('\n');
  return lastLf == std::string_view::npos ? FPos : FPos + lastLf + 1;
}

void TXmlTokenizer::PlaceSentinel() {
  char* window = FWindow.get();
  FSavedByte = window[FSourceEnd];
  window[FSourceEnd] = 0;
  // Bytes beyond the sentinel are not the scanner's to read until the next refill.
  PoisonWindowBytes(window + FSourceEnd + 1, FWindowSize - FSourceEnd);
}

std::size_t TXmlTokenizer::ReadSource(char* into, std::size_t count) {
  if (count == 0) return 0;
  FSource.read(into, static_cast<std::streamsize>(count));
  if (FSource.bad()) throw EFileError("Stream read error");
  return static_cast<std::size_t>(FSource.gcount());
}

}  // namespace notarel
