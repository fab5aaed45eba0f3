# Where `cmake --install` and the Debian package put things, relative to the
# installation prefix. recmod-batch finds its picture module from its own
# place, so the two directories must stay in step with BatchPictures.cpp's
# lookup (program directory first, then this relative path).
set(RECMOD_INSTALL_BINDIR bin)
set(RECMOD_INSTALL_MODULEDIR lib/recmod)
set(RECMOD_INSTALL_MANDIR share/man/man1)
set(RECMOD_INSTALL_DOCDIR share/doc/recmod)
file(RELATIVE_PATH RECMOD_MODULEDIR_FROM_BINDIR /prefix/${RECMOD_INSTALL_BINDIR}
     /prefix/${RECMOD_INSTALL_MODULEDIR})
