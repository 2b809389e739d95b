# Win32 part of the shell: filled in below.
