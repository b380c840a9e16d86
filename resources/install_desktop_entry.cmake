# Run by `cmake --install`: makes the menu entry for the prefix being
# installed to and installs it. The entry starts the program in the folder
# that holds the help page, since the program reads index.htm from its
# working directory. Each destination gets its own copy of the made file, so
# that two installs from one build never write the same file.
set(TREMALU_DATA_DIR "${CMAKE_INSTALL_PREFIX}/${TREMALU_DATA_ROOT}/tremalu")
string(MD5 destination "$ENV{DESTDIR}${TREMALU_DATA_DIR}")
set(entry "${TREMALU_ENTRY_WORK_DIR}/${destination}/tremalu.desktop")
configure_file("${TREMALU_ENTRY_TEMPLATE}" "${entry}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${TREMALU_DATA_ROOT}/applications" TYPE FILE FILES "${entry}")
