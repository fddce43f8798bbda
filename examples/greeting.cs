;; Run by hello.cs through func: a nested run that returns to its caller.
print   (this line comes from greeting.cs)
endl
~PROG
