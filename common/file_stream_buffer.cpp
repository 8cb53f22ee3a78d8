#include "file_stream_buffer.h"

// The C file buffers the bytes; a short write fails the stream at once.
FileStreamBuffer::int_type FileStreamBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  if (cFile == nullptr || std::fputc(traits_type::to_char_type(c), cFile) == EOF)
    return traits_type::eof();
  return c;
}

std::streamsize FileStreamBuffer::xsputn(const char* text, std::streamsize count) {
  if (cFile == nullptr || count <= 0) return 0;
  return static_cast<std::streamsize>(std::fwrite(text, 1, static_cast<size_t>(count), cFile));
}

int FileStreamBuffer::sync() { return cFile != nullptr && std::fflush(cFile) == 0 ? 0 : -1; }
