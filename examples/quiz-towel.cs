;; Shown by quiz.cs only when its reply was an empty line.
print    A towel.
endl
~PROG
