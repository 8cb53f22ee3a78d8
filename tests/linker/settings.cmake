# The linker's unit tests reach its core (parser, Linker, memory model) directly.
target_link_libraries(test_linker PRIVATE qorlancore)
