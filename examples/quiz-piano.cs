;; Shown by quiz.cs only when its reply was an empty line.
print    A piano.
endl
~PROG
