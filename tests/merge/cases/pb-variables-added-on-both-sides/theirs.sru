$PBExportHeader$n_x.sru
global type n_x from nonvisualobject
end type
global n_x n_x

type variables
protected:
string is_a
long il_n = 2
integer ii_theirs
end variables

public function long of_a (string as_s);return 1
end function

