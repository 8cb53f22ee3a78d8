# The examples' command files are read by the linker's own parser.
target_link_libraries(test_examples PRIVATE qorlancore)
