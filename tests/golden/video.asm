        ORG    $1000
        WVDP   A
        WVDP   B
        WVDP   %$41
        MOVP   A,P45
        MOVP   B,P45
        MOVP   %$41,P45
        MOVP   A,P47
        MOVP   B,P47
        MOVP   %$41,P47
        MOVP   P46,A
        MOVP   P46,B
        ANDP   A,P46
        ANDP   B,P46
        ANDP   %$41,P46
        ORP    A,P46
        ORP    B,P46
        ORP    %$41,P46
        XORP   A,P46
        XORP   B,P46
        XORP   %$41,P46
        BTJOP  A,P46,$1033
        BTJOP  B,P46,$1036
        BTJOP  %$41,P46,$103A
        BTJZP  A,P46,$103D
        BTJZP  B,P46,$1040
        BTJZP  %$41,P46,$1044
        BYTE   $D7,$00                  ; LVDP
        BYTE   $D7,$01                  ; LVDP
        BYTE   $D7,$13                  ; LVDP
        BYTE   $D7,$2E                  ; LVDP
        BYTE   $D7,$7F                  ; LVDP
        BYTE   $D7,$80                  ; LVDP
        BYTE   $D7,$FF                  ; LVDP
