// The library's content is the compiled resource tree (see CMakeLists.txt); this unit only gives the
// static library a source of its own.
