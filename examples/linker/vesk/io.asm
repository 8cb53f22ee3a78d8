; io.asm - port B as output, and a digit shown on it through a segment table
PCL     equ     0x02
STATUS  equ     0x03
PORTB   equ     0x06
PCLATH  equ     0x0A
TRISB   equ     0x86

        global  io_init, io_put

.udata  udata
shown   res     1
digit   res     1

io_code code
io_init banksel TRISB
        clrf    TRISB
        banksel PORTB
        clrf    PORTB
        return
io_put  andlw   0x03
        call    segments
        banksel shown
        movwf   shown
        banksel PORTB
        movwf   PORTB
        return
segments banksel digit
        movwf   digit
        movlw   high table
        movwf   PCLATH
        movf    digit, w
        addwf   PCL, f
table   retlw   0x3F
        retlw   0x06
        retlw   0x5B
        retlw   0x4F
        end
