// QORBU, the librarian: creates, lists, changes and unpacks libraries of
// object files, one command per run.
#include "ar_parser.h"
#include "archiver.h"
#include "banners.h"
#include "diagnostics.h"
#include "startup.h"

int main(int argc, char** argv) {
  startProgram(argc, argv, librarianBanner());
  Archiver archiver;
  ArParser::parse(argc, argv, archiver);
  exitWithSummary(archiver.execute() ? 0 : 1);
}
