# The help screen the program must print is the parser's own text.
target_link_libraries(test_qorlan PRIVATE qorlancore)
