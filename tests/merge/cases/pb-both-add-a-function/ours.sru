$PBExportHeader$n_x.sru
global type n_x from nonvisualobject
end type
global n_x n_x

forward prototypes
public function long of_a (string as_s)
public function long of_b (string as_s)
end prototypes

public function long of_a (string as_s);return 1
end function

public function long of_b (string as_s);return 1
end function

event constructor;of_a("x")
end event
