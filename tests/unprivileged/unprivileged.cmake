# Registers "unprivileged_tests": tests that skip for the superuser, who may
# write any file, run again as an unprivileged user (run_unprivileged.sh),
# so that a run as root (as CI's is) still exercises them. The entry fails
# when one of them fails, is missing or skips there too.
#
# Each item is a test program's target and a test's full name. A test that
# skips under root belongs here.
set(QOR_UNPRIVILEGED_TESTS
  test_linker:MapFileWrite.AReadOnlyEarlierMapIsKept
  test_hexconv:HexFileTest.ReadOnlyExistingFileIsNotReplaced
  test_cod:CodWrite.ExistingTargetIsTreatedAsAnOpenForWritingWould
  test_common:ReplacementFile.ReadOnlyFolderWritesInPlaceUnlessKeptWhole
  test_common:OutputSet.InPlaceOutputsChangeOnlyWhenEveryOneHasRoom
  test_qorlan:QorlanRun.OutputInAReadOnlyFolderIsWrittenInPlace
  test_librarian:LibraryKeptWhole.InAReadOnlyFolder)

set(unprivileged_arguments)
foreach(item ${QOR_UNPRIVILEGED_TESTS})
  string(REPLACE ":" ";" parts ${item})
  list(GET parts 0 target)
  list(GET parts 1 test)
  list(APPEND unprivileged_arguments $<TARGET_FILE:${target}> ${test})
endforeach()
add_test(NAME unprivileged_tests
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run_unprivileged.sh ${unprivileged_arguments})
# 77: no way to change the user (setpriv missing) while running as root.
set_tests_properties(unprivileged_tests PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77
  ENVIRONMENT "TZ=UTC;LC_ALL=C")
