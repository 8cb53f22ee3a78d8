# The librarian's unit tests reach its parser and commands directly.
target_link_libraries(test_librarian PRIVATE qorbucore)
