global type n_c from nonvisualobject
end type
public function long of_a ();/* old:
end function
*/ return 1
end function
