; io.asm - port B as output; the value shown is kept in a shared register
PORTB   equ     0x06

        global  io_init, io_show

io_shr  udata_shr
last    res     1

io_code code
io_init movlw   0x00
        tris    PORTB
        clrf    PORTB
        retlw   0
io_show movwf   PORTB
        movwf   last
        retlw   0
        end
