;; A first script: text, a key, and another script run from this one.
print Hello from conscript.
endl
print This line was written by print; endl ended it.
endl
func examples/greeting.cs
print Press Enter to finish:
keypress
print Bye.
endl
~PROG
