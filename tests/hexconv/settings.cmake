# The converter's own classes are tested directly as well as through the program.
target_link_libraries(test_hexconv PRIVATE qornipcore)
