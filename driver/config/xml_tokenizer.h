#pragma once
// TXmlTokenizer cuts a byte stream into the reader's tokens.
//
// The stream is read through one window (1 MiB unless a test asks for less).
// The end of the bytes the scanner may look at, the source end, carries a NUL
// sentinel, so the scanning loops test one byte instead of a position. When a
// scan reaches the sentinel the window is refilled: the bytes still needed
// move to its start and the stream tops it up. A full window ends at the start
// of its last line, so every window but the last holds whole lines, and a
// single line longer than the window is refused. A token that reaches the
// sentinel (a tag or text run spanning a line break at the window's edge)
// is kept whole across the refill, so the tokens never depend on where the
// windows fall; a single token longer than the window is refused like a long
// line. A "<" without ">" before the end of the data is refused with
// "Unclosed tag".
//
// A NUL byte in the data ends the input there, as the end of the data does.
// One tokenizer serves one load on one thread.
#include <cstddef>
#include <istream>
#include <memory>
#include <string>
#include <string_view>

#include "xml_token_text.h"

namespace notarel {

class TXmlTokenizer {
 public:
  static constexpr std::size_t kWindowSize = 1048576;

  // Reads the first window and the first token; raises EParserError or EFileError.
  explicit TXmlTokenizer(std::istream& source, std::size_t windowSize = kWindowSize);
  // Moves the stream back to the start of the current token.
  ~TXmlTokenizer();
  TXmlTokenizer(const TXmlTokenizer&) = delete;
  TXmlTokenizer& operator=(const TXmlTokenizer&) = delete;

  TXmlTokenKind Kind() const { return FKind; }
  // The current token's bytes as they stand in the data.
  std::string_view RawText() const;
  // The current token's text after clean-up (see CleanTokenText).
  std::string Text() const;
  void Text(std::string& out) const;
  // The line of the current token: 1 plus the LFs skipped between tokens so far.
  int Line() const { return FLine; }

  void NextToken();
  [[noreturn]] void RaiseParseError(const std::string& message) const;

 private:
  void SkipBlanks();
  void ScanTag();
  void ScanText();
  bool Refill();
  std::size_t ReadSource(char* into, std::size_t count);
  void PlaceSentinel();
  std::size_t LastLineStart() const;

  std::istream& FSource;
  std::size_t FWindowSize;
  std::unique_ptr<char[]> FWindow;  // FWindowSize bytes plus room for the sentinel
  std::size_t FDataEnd = 0;         // end of the valid data in the window
  std::size_t FSourceEnd = 0;       // where the sentinel stands
  char FSavedByte = 0;              // the data byte under the sentinel
  std::size_t FPos = 0;
  std::size_t FTokenStart = 0;
  int FLine = 1;
  TXmlTokenKind FKind = TXmlTokenKind::EndOfInput;
};

}  // namespace notarel
